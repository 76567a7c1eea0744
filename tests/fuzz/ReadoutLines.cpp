#include "tests/fuzz/ReadoutLines.h"

#include <algorithm>
#include <string_view>

namespace {

using Line = char[64];

std::string TailFault(const Line& line, std::size_t length, std::string_view name)
{
    const bool zeros = std::all_of(line + length, line + sizeof(Line), [](char c) { return c == '\0'; });
    return zeros ? std::string() : std::string(name) + " line is not terminated at " + std::to_string(length);
}

bool Holds(const Line& line, std::size_t at, std::string_view text)
{
    return std::string_view(line + at, text.size()) == text;
}

bool AllOf(const Line& line, std::size_t from, std::size_t to, std::string_view allowed)
{
    return std::all_of(line + from, line + to, [allowed](char c) { return allowed.find(c) != std::string_view::npos; });
}

// A right-aligned signed number: blanks, an optional '-', then digits to the end.
bool IsRightAlignedNumber(std::string_view field)
{
    const std::size_t start = field.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return false;
    std::string_view number = field.substr(start);
    if (number.front() == '-')
        number.remove_prefix(1);
    return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::string FrequencyLineFault(const ReadoutText& text, char indicatorGlyph)
{
    const Line& line = text.Frequency;
    if (std::string fault = TailFault(line, 15, "frequency"); !fault.empty())
        return fault;
    if (!Holds(line, 11, "Hz ") || line[14] != indicatorGlyph)
        return "frequency line lacks \"Hz \" and the indicator";
    if (Holds(line, 0, "---,---,---"))
        return {};
    if (!AllOf(line, 0, 11, " 0123456789,") || !(line[3] == ',' || line[3] == ' ') ||
        !(line[7] == ',' || line[7] == ' '))
        return "frequency digits out of their grouping";
    return {};
}

std::string NoDataLineFault(const ReadoutText& text)
{
    const Line& line = text.Frequency;
    if (!Holds(line, 0, "Not ReceiveHz ") || (line[14] != 0 && line[14] != 1))
        return "no-data line differs from \"Not ReceiveHz \" and the indicator value";
    return TailFault(line, 15, "no-data");
}

std::string StatusLineFault(const ReadoutText& text, char tenths)
{
    const Line& line = text.Status;
    if (std::string fault = TailFault(line, 24, "status"); !fault.empty())
        return fault;
    const bool frame = Holds(line, 0, "P.S:[") && Holds(line, 8, "] G.T:[") && line[17] == '.' &&
                       line[18] == tenths && Holds(line, 19, "0sec]");
    if (!frame)
        return "status line frame broken";
    if (!IsRightAlignedNumber({line + 5, 3}) || !IsRightAlignedNumber({line + 15, 2}))
        return "status line numbers malformed";
    return {};
}

std::string InductanceLineFault(const ReadoutText& text)
{
    const Line& line = text.Inductance;
    if (std::string fault = TailFault(line, 24, "inductance"); !fault.empty())
        return fault;
    if (!Holds(line, 0, "L=") || !Holds(line, 22, "uH") || !AllOf(line, 2, 22, " 0123456789,."))
        return "inductance line malformed";
    return {};
}
