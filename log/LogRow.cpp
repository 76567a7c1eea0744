#include "log/LogRow.h"

#include "log/LogClock.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr size_t kMaxIntegerDigits = 15;  // t_s up to 31 million years, well inside int64 ms

void AppendUnsigned(std::string& out, uint64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

// "1.0", "10.0", "0.25", "0.001": whole seconds, then the milliseconds without
// trailing zeros but with at least one decimal.
void AppendGate(std::string& out, uint32_t gateMs)
{
    AppendUnsigned(out, gateMs / 1000);
    out += '.';
    char decimals[3] = {static_cast<char>('0' + gateMs / 100 % 10),
                        static_cast<char>('0' + gateMs / 10 % 10),
                        static_cast<char>('0' + gateMs % 10)};
    size_t length = 3;
    while (length > 1 && decimals[length - 1] == '0')
        --length;
    out.append(decimals, length);
}

void AppendInductance(std::string& out, double inductanceUh)
{
    if (!std::isfinite(inductanceUh))
        return;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, inductanceUh);
    out.append(text, result.ptr);
}

bool NeedsQuotes(std::string_view field)
{
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view field)
{
    if (!NeedsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// Digits only, at least one and at most maxDigits of them.
bool ParseDigits(std::string_view text, size_t maxDigits, uint64_t& value)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// "12", "12.3", "12.345" as thousandths; more than three decimals are refused.
bool ParseThousandths(std::string_view text, size_t maxIntegerDigits, uint64_t& thousandths)
{
    const size_t point = text.find('.');
    uint64_t whole = 0;
    if (!ParseDigits(text.substr(0, point), maxIntegerDigits, whole))
        return false;
    uint64_t fraction = 0;
    if (point != std::string_view::npos) {
        const std::string_view decimals = text.substr(point + 1);
        if (!ParseDigits(decimals, 3, fraction))
            return false;
        for (size_t i = decimals.size(); i < 3; ++i)
            fraction *= 10;
    }
    thousandths = whole * 1000 + fraction;
    return true;
}

bool ParseFrequency(std::string_view text, uint32_t& frequencyHz)
{
    uint64_t value = 0;
    if (!ParseDigits(text, 10, value) || value > std::numeric_limits<uint32_t>::max())
        return false;
    frequencyHz = static_cast<uint32_t>(value);
    return true;
}

bool ParseGate(std::string_view text, std::optional<uint32_t>& gateMs)
{
    gateMs.reset();
    if (text.empty())
        return true;
    uint64_t value = 0;
    if (!ParseThousandths(text, 7, value) || value > std::numeric_limits<uint32_t>::max())
        return false;
    gateMs = static_cast<uint32_t>(value);
    return true;
}

bool ParseInductance(std::string_view text, std::optional<double>& inductanceUh)
{
    inductanceUh.reset();
    if (text.empty())
        return true;
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return false;
    inductanceUh = value;
    return true;
}

}  // namespace

std::string LogHeaderLine()
{
    return std::string(kLogHeader) + "\r\n";
}

void AppendMilliseconds(std::string& out, int64_t ms)
{
    if (ms < 0)
        out += '-';
    const uint64_t magnitude = ms < 0 ? 0 - static_cast<uint64_t>(ms) : static_cast<uint64_t>(ms);
    AppendUnsigned(out, magnitude / 1000);
    const uint64_t fraction = magnitude % 1000;
    const char decimals[4] = {'.', static_cast<char>('0' + fraction / 100),
                              static_cast<char>('0' + fraction / 10 % 10),
                              static_cast<char>('0' + fraction % 10)};
    out.append(decimals, sizeof decimals);
}

bool ParseMilliseconds(std::string_view text, int64_t& ms)
{
    const bool negative = !text.empty() && text.front() == '-';
    uint64_t thousandths = 0;
    if (!ParseThousandths(text.substr(negative ? 1 : 0), kMaxIntegerDigits, thousandths))
        return false;
    ms = negative ? -static_cast<int64_t>(thousandths) : static_cast<int64_t>(thousandths);
    return true;
}

void AppendLogRow(std::string& out, const LogRow& row)
{
    char utc[kUtcTextLength];
    WriteUtcMs(row.utcMs, utc);
    out.append(utc, sizeof utc);
    out += ',';
    AppendMilliseconds(out, row.elapsedMs);
    out += ',';
    AppendUnsigned(out, row.frequencyHz);
    out += ',';
    AppendField(out, std::string_view(row.prescaler).substr(0, kMaxPrescalerLength));
    out += ',';
    if (row.gateMs)
        AppendGate(out, *row.gateMs);
    out += ',';
    if (row.inductanceUh)
        AppendInductance(out, *row.inductanceUh);
    out += "\r\n";
}

std::string FormatLogRow(const LogRow& row)
{
    std::string line;
    line.reserve(96);
    AppendLogRow(line, row);
    return line;
}

std::optional<LogRow> ParseLogFields(std::span<const std::string> fields)
{
    LogRow row;
    if (fields.size() != kLogColumnCount || !ParseUtcMs(fields[0], row.utcMs) ||
        !ParseMilliseconds(fields[1], row.elapsedMs) ||
        !ParseFrequency(fields[2], row.frequencyHz) || fields[3].size() > kMaxPrescalerLength ||
        !ParseGate(fields[4], row.gateMs) || !ParseInductance(fields[5], row.inductanceUh))
        return std::nullopt;
    row.prescaler = fields[3];
    return row;
}
