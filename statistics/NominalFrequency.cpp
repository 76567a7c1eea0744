#include "statistics/NominalFrequency.h"

#include <charconv>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// What after the number still belongs to a number the parser does not take.
bool IsNumberCharacter(char c)
{
    return IsDigit(c) || c == '.' || c == ',' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

// Digits with at most one '.', at least one digit; the rest stays in text.
std::string_view TakeDecimal(std::string_view& text)
{
    size_t end = 0;
    size_t digits = 0;
    bool point = false;
    for (; end < text.size(); ++end) {
        if (IsDigit(text[end]))
            ++digits;
        else if (text[end] == '.' && !point)
            point = true;
        else
            break;
    }
    const std::string_view number = text.substr(0, digits > 0 ? end : 0);
    text.remove_prefix(number.size());
    return number;
}

// The power of ten of a prefix, or -1 for anything else.
int PrefixExponent(char prefix)
{
    switch (prefix) {
    case 'k':
    case 'K':
        return 3;
    case 'M':
        return 6;
    case 'G':
        return 9;
    default:
        return -1;
    }
}

bool IsHz(std::string_view text)
{
    return text.size() == 2 && (text[0] == 'H' || text[0] == 'h') && (text[1] == 'z' || text[1] == 'Z');
}

// The power of ten the unit stands for, or -1 when it is not one.
int UnitExponent(std::string_view unit)
{
    if (unit.empty() || IsHz(unit))
        return 0;
    const int exponent = PrefixExponent(unit.front());
    unit.remove_prefix(1);
    return unit.empty() || IsHz(unit) ? exponent : -1;
}

NominalParse Failed(NominalError error)
{
    return {0.0, error};
}

}  // namespace

NominalParse ParseNominal(std::string_view text)
{
    SkipBlanks(text);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return Failed(NominalError::Empty);
    const std::string_view number = TakeDecimal(text);
    if (number.empty())
        return Failed(NominalError::NotANumber);
    SkipBlanks(text);
    const int exponent = UnitExponent(text);
    if (exponent < 0)
        return Failed(IsNumberCharacter(text.front()) ? NominalError::NotANumber
                                                      : NominalError::UnknownUnit);
    // One correctly rounded conversion of the decimal text with its prefix as exponent.
    const std::string scaled = std::string(number) + "e" + std::to_string(exponent);
    double hz = 0.0;
    const auto result = std::from_chars(scaled.data(), scaled.data() + scaled.size(), hz);
    if (result.ec != std::errc() || result.ptr != scaled.data() + scaled.size())
        return Failed(NominalError::OutOfRange);
    if (hz < kMinNominalHz || hz > kMaxNominalHz)
        return Failed(NominalError::OutOfRange);
    return {hz, NominalError::None};
}

std::string NominalText(double hz)
{
    char text[400];  // the fixed form of any double
    const auto result = std::to_chars(text, text + sizeof text, hz, std::chars_format::fixed);
    return result.ec == std::errc() ? std::string(text, result.ptr) : std::string();
}
