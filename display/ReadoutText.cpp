#include "display/ReadoutText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

#include "settings/NumberText.h"

namespace {

constexpr char kIndicatorGlyphs[] = "-|";
constexpr std::string_view kNoDataText = "Not ReceiveHz ";
constexpr std::string_view kOverRangeNumber = "---,---,---";

constexpr int kPrescalerOffset = 0;
constexpr int kPrescalerWidth = 3;
constexpr int kGateOffset = 4;
constexpr int kGateWidth = 2;
constexpr int kTenthsOffset = 6;
constexpr int kFrequencyOffset = 8;
constexpr int kFrequencyWidth = 10;

constexpr int kNumberWidth = 11;
constexpr int kIndicatorPosition = 14;
constexpr int kFrequencyLineLength = 15;

using Line = char[64];

// Appends to a fixed buffer and silently drops whatever would not fit.
class LineBuilder {
public:
    void Append(std::string_view part)
    {
        const size_t count = std::min(part.size(), sizeof(buffer_) - length_);
        std::memcpy(buffer_ + length_, part.data(), count);
        length_ += count;
    }

    void Append(char c) { Append(std::string_view(&c, 1)); }

    // As "%*ld" does: right-aligned in width, wider when the number needs it.
    void AppendRightAligned(long value, int width)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        const auto length = static_cast<int>(end - digits);
        for (int pad = width - length; pad > 0; --pad)
            Append(' ');
        Append(std::string_view(digits, static_cast<size_t>(length)));
    }

    std::string_view Text() const { return {buffer_, length_}; }

private:
    char buffer_[sizeof(Line) - 1] = {};
    size_t length_ = 0;
};

bool IsAtolBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Judged on the field's digits, not on the wrapped value: "5000000000" is out
// of range although it wraps to 705,032,704.
bool ShowsAsNineDigits(std::string_view field)
{
    size_t i = 0;
    while (i < field.size() && IsAtolBlank(field[i]))
        ++i;
    const bool negative = i < field.size() && field[i] == '-';
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        ++i;
    while (i < field.size() && field[i] == '0')
        ++i;
    size_t significant = 0;
    while (i + significant < field.size() && IsDigit(field[i + significant]))
        ++significant;
    return significant == 0 || (!negative && significant <= 9);
}

// Positions 0-10: nine digit positions with a ',' at 3 and 7 wherever a digit
// stands to its left.
void PutGroupedFrequency(char* out, const char* record)
{
    const int32_t frequency = ReadDecimalField(record + kFrequencyOffset, kFrequencyWidth);
    if (!ShowsAsNineDigits(std::string_view(record + kFrequencyOffset, kFrequencyWidth))) {
        std::memcpy(out, kOverRangeNumber.data(), kOverRangeNumber.size());
        return;
    }
    char digits[9];
    std::fill(std::begin(digits), std::end(digits), ' ');
    char scratch[9];
    const auto end = std::to_chars(scratch, scratch + sizeof scratch, frequency).ptr;
    const auto length = end - scratch;
    std::memcpy(digits + (sizeof digits - length), scratch, static_cast<size_t>(length));

    int position = 0;
    for (int group = 0; group < 3; ++group) {
        if (group > 0)
            out[position++] = digits[group * 3 - 1] != ' ' ? ',' : ' ';
        for (int i = 0; i < 3; ++i)
            out[position++] = digits[group * 3 + i];
    }
}

uint8_t NextIndicatorValue(uint8_t counter)
{
    return static_cast<uint8_t>((counter + 1) % 2);
}

}  // namespace

void ResetReadoutText(ReadoutText& text)
{
    WriteLine(text.Frequency, kInitialFrequencyLine);
    WriteLine(text.Status, kInitialStatusLine);
    WriteLine(text.Inductance, kInitialInductanceLine);
}

void FormatFrequencyLine(ReadoutText& text, ActivityIndicator& indicator, const char* record)
{
    char line[kFrequencyLineLength];
    PutGroupedFrequency(line, record);
    std::memcpy(line + kNumberWidth, "Hz ", 3);
    line[kIndicatorPosition] = kIndicatorGlyphs[indicator.Counter % 2];
    WriteLine(text.Frequency, std::string_view(line, sizeof line));
    indicator.Counter = NextIndicatorValue(indicator.Counter);
}

void FormatStatusLine(ReadoutText& text, const char* record)
{
    LineBuilder line;
    line.Append("P.S:[");
    line.AppendRightAligned(ReadDecimalField(record + kPrescalerOffset, kPrescalerWidth), 3);
    line.Append("] G.T:[");
    line.AppendRightAligned(ReadDecimalField(record + kGateOffset, kGateWidth), 2);
    line.Append('.');
    line.Append(record[kTenthsOffset]);
    line.Append("0sec]");
    WriteLine(text.Status, line.Text());
}

void AdvanceIndicator(ActivityIndicator& indicator)
{
    indicator.Counter = NextIndicatorValue(indicator.Counter);
}

void WriteNoDataText(ReadoutText& text, const ActivityIndicator& indicator)
{
    char line[kFrequencyLineLength];
    std::memcpy(line, kNoDataText.data(), kNoDataText.size());
    // The counter's own value, not its glyph: the font shows code 0 or 1 there.
    line[kIndicatorPosition] = static_cast<char>(indicator.Counter % 2);
    WriteLine(text.Frequency, std::string_view(line, sizeof line));
}

uint32_t RecordFrequency(const char* record)
{
    return static_cast<uint32_t>(ReadDecimalField(record + kFrequencyOffset, kFrequencyWidth));
}

int32_t ReadDecimalField(const char* field, int width)
{
    return Atol(std::string_view(field, static_cast<size_t>(std::max(width, 0))));
}

void WriteLine(char (&line)[64], std::string_view text)
{
    const size_t length = std::min(text.size(), sizeof line - 1);
    std::memcpy(line, text.data(), length);
    std::memset(line + length, 0, sizeof line - length);
}
