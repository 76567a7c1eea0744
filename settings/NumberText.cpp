#include "settings/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips leading white space and an optional sign; returns true for '-'.
bool SkipSpaceAndSign(std::string_view& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsCSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    text.remove_prefix(pos);
    return negative;
}

int32_t WrappingDecimal(std::string_view text)
{
    const bool negative = SkipSpaceAndSign(text);
    uint32_t total = 0;
    for (char c : text) {
        if (!IsDigit(c))
            break;
        total = total * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative)
        total = 0u - total;
    return static_cast<int32_t>(total);
}

// The decimal exponent of the first significant digit, used only to tell an
// overflow from an underflow when the value is out of the double's range.
bool ExceedsOne(std::string_view number)
{
    std::size_t pos = 0;
    long long magnitude = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    for (; pos < number.size() && (IsDigit(number[pos]) || number[pos] == '.'); ++pos) {
        if (number[pos] == '.') {
            seenPoint = true;
        } else if (number[pos] != '0' || seenSignificant) {
            seenSignificant = true;
            if (!seenPoint)
                ++magnitude;
        } else if (seenPoint) {
            --magnitude;
        }
    }
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        std::string_view exponent = number.substr(pos + 1);
        const bool negative = SkipSpaceAndSign(exponent);
        long long value = 0;
        for (std::size_t i = 0; i < exponent.size() && IsDigit(exponent[i]) && value < 1000000; ++i)
            value = value * 10 + (exponent[i] - '0');
        magnitude += negative ? -value : value;
    }
    return magnitude > 0;
}

} // namespace

int32_t Atoi(std::string_view text)
{
    return WrappingDecimal(text);
}

int32_t Atol(std::string_view text)
{
    return WrappingDecimal(text);
}

double Atof(std::string_view text)
{
    const bool negative = SkipSpaceAndSign(text);
    // from_chars would accept a second sign, "inf" and "nan"; C's atof of the
    // original program accepted neither.
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.'))
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              std::chars_format::general);
    if (error == std::errc::invalid_argument)
        return 0.0;
    if (error == std::errc::result_out_of_range) {
        const std::string_view number(text.data(), static_cast<std::size_t>(end - text.data()));
        value = ExceedsOne(number) ? std::numeric_limits<double>::max() : 0.0;
    }
    return negative ? -value : value;
}

std::string FormatInt(int32_t value)
{
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatFixed6(double value)
{
    // DBL_MAX has 309 integer digits; with sign, point and six decimals 317 suffice.
    std::array<char, 330> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 6);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatFixed6Fitting(double value, std::size_t maxLength)
{
    std::string fixed = FormatFixed6(value);
    if (fixed.size() <= maxLength)
        return fixed;
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    return std::string(buffer.data(), result.ptr);
}
