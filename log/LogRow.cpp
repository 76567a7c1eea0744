#include "log/LogRow.h"

#include "log/LogClock.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr size_t kMaxElapsedDigits = 12;  // t_s up to 31 000 years, well inside int64 us
constexpr size_t kElapsedDecimals = 6;

void AppendUnsigned(std::string& out, uint64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
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

// "12", "12.3", "12.345" with decimals 3 as 12000, 12300, 12345: in units of
// 10^-decimals; more decimals than that are refused.
bool ParseFixedPoint(std::string_view text, size_t maxIntegerDigits, size_t decimals,
                     uint64_t& units)
{
    const size_t point = text.find('.');
    uint64_t whole = 0;
    if (!ParseDigits(text.substr(0, point), maxIntegerDigits, whole))
        return false;
    uint64_t fraction = 0;
    size_t given = 0;
    if (point != std::string_view::npos) {
        const std::string_view digits = text.substr(point + 1);
        if (!ParseDigits(digits, decimals, fraction))
            return false;
        given = digits.size();
    }
    units = whole;
    for (size_t i = 0; i < decimals; ++i)
        units *= 10;
    for (size_t i = given; i < decimals; ++i)
        fraction *= 10;
    units += fraction;
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
    if (!ParseFixedPoint(text, 7, 3, value) || value > std::numeric_limits<uint32_t>::max())
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

// "1.0", "10.0", "0.25", "0.001": whole seconds, then the milliseconds without
// trailing zeros but with at least one decimal.
void AppendGateSeconds(std::string& out, uint32_t gateMs)
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

void AppendInductanceUh(std::string& out, double inductanceUh)
{
    if (!std::isfinite(inductanceUh))
        return;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, inductanceUh);
    out.append(text, result.ptr);
}

std::string LogHeaderLine()
{
    return std::string(kLogHeader) + "\r\n";
}

void AppendMicroseconds(std::string& out, int64_t us)
{
    if (us < 0)
        out += '-';
    const uint64_t magnitude = us < 0 ? 0 - static_cast<uint64_t>(us) : static_cast<uint64_t>(us);
    AppendUnsigned(out, magnitude / 1'000'000);
    char decimals[1 + kElapsedDecimals] = {'.'};
    uint64_t fraction = magnitude % 1'000'000;
    for (size_t i = kElapsedDecimals; i > 0; --i, fraction /= 10)
        decimals[i] = static_cast<char>('0' + fraction % 10);
    out.append(decimals, sizeof decimals);
}

bool ParseMicroseconds(std::string_view text, int64_t& us)
{
    const bool negative = !text.empty() && text.front() == '-';
    uint64_t units = 0;
    if (!ParseFixedPoint(text.substr(negative ? 1 : 0), kMaxElapsedDigits, kElapsedDecimals,
                         units))
        return false;
    us = negative ? -static_cast<int64_t>(units) : static_cast<int64_t>(units);
    return true;
}

void AppendLogRow(std::string& out, const LogRow& row)
{
    char utc[kUtcTextLength];
    WriteUtcMs(row.utcMs, utc);
    out.append(utc, sizeof utc);
    out += ',';
    AppendMicroseconds(out, row.elapsedUs);
    out += ',';
    AppendUnsigned(out, row.frequencyHz);
    out += ',';
    AppendField(out, std::string_view(row.prescaler).substr(0, kMaxPrescalerLength));
    out += ',';
    if (row.gateMs)
        AppendGateSeconds(out, *row.gateMs);
    out += ',';
    if (row.inductanceUh)
        AppendInductanceUh(out, *row.inductanceUh);
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
        !ParseMicroseconds(fields[1], row.elapsedUs) ||
        !ParseFrequency(fields[2], row.frequencyHz) || fields[3].size() > kMaxPrescalerLength ||
        !ParseGate(fields[4], row.gateMs) || !ParseInductance(fields[5], row.inductanceUh))
        return std::nullopt;
    row.prescaler = fields[3];
    return row;
}
