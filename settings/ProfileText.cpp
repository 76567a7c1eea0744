#include "settings/ProfileText.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos, std::size_t end)
{
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    return pos;
}

std::size_t TrimBlanksBack(std::string_view text, std::size_t begin, std::size_t end)
{
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return end;
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

} // namespace

ProfileText::ProfileText(std::string content) : content_(std::move(content))
{
    Parse();
}

void ProfileText::Parse()
{
    lines_.clear();
    std::size_t begin = content_.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (begin < content_.size()) {
        const std::size_t newline = content_.find('\n', begin);
        const std::size_t next = newline == std::string::npos ? content_.size() : newline + 1;
        std::size_t end = newline == std::string::npos ? content_.size() : newline;
        if (newline != std::string::npos && end > begin && content_[end - 1] == '\r')
            --end;
        lines_.push_back(ParseLine(begin, end, next));
        begin = next;
    }
}

ProfileText::Line ProfileText::ParseLine(std::size_t begin, std::size_t end, std::size_t next) const
{
    const std::string_view text = content_;
    Line line{.Begin = begin, .End = end, .Next = next};
    const std::size_t first = SkipBlanks(text, begin, end);
    line.Blank = first == end;
    if (first < end && text[first] == '[') {
        const std::size_t close = text.substr(0, end).find(']', first);
        if (close != std::string_view::npos) {
            line.Kind = LineKind::Section;
            line.NameBegin = SkipBlanks(text, first + 1, close);
            line.NameEnd = TrimBlanksBack(text, line.NameBegin, close);
            return line;
        }
    }
    const std::size_t equals = text.substr(0, end).find('=', first);
    if (equals == std::string_view::npos)
        return line;
    line.Kind = LineKind::Key;
    line.NameBegin = first;
    line.NameEnd = TrimBlanksBack(text, first, equals);
    line.ValueBegin = SkipBlanks(text, equals + 1, end);
    line.ValueEnd = TrimBlanksBack(text, line.ValueBegin, end);
    return line;
}

std::string_view ProfileText::Name(const Line& line) const
{
    return std::string_view(content_).substr(line.NameBegin, line.NameEnd - line.NameBegin);
}

std::optional<std::size_t> ProfileText::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].Kind == LineKind::Section && SameName(Name(lines_[i]), section))
            return i;
    }
    return std::nullopt;
}

std::size_t ProfileText::SectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].Kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<std::size_t> ProfileText::FindKey(std::size_t header, std::string_view key) const
{
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].Kind == LineKind::Key && SameName(Name(lines_[i]), key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> ProfileText::RawValue(std::string_view section,
                                                      std::string_view key) const
{
    const auto header = FindSection(section);
    if (!header)
        return std::nullopt;
    const auto index = FindKey(*header, key);
    if (!index)
        return std::nullopt;
    const Line& line = lines_[*index];
    return std::string_view(content_).substr(line.ValueBegin, line.ValueEnd - line.ValueBegin);
}

// New lines follow the file's own line ends: those of its first line.
std::string_view ProfileText::LineEnding() const
{
    const std::size_t newline = content_.find('\n');
    if (newline != std::string::npos && newline > 0 && content_[newline - 1] == '\r')
        return "\r\n";
    return "\n";
}

void ProfileText::InsertLines(std::size_t position, bool needsLineEnd, std::string_view lines)
{
    std::string text = needsLineEnd ? std::string(LineEnding()) : std::string();
    text += lines;
    content_.insert(position, text);
    Parse();
}

void ProfileText::Write(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string valueText = ProfileValueText(value);
    const std::string eol(LineEnding());
    const auto header = FindSection(section);
    if (!header) {
        const bool open = !lines_.empty() && lines_.back().Next == lines_.back().End;
        InsertLines(content_.size(), open,
                    "[" + std::string(section) + "]" + eol + std::string(key) + "=" + valueText + eol);
        return;
    }
    if (const auto index = FindKey(*header, key)) {
        const Line& line = lines_[*index];
        content_.replace(line.ValueBegin, line.End - line.ValueBegin, valueText);
        Parse();
        return;
    }
    std::size_t last = *header;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (!lines_[i].Blank)
            last = i;
    }
    const Line& after = lines_[last];
    const bool open = after.Next == after.End;
    InsertLines(after.Next, open, std::string(key) + "=" + valueText + eol);
}

std::string ProfileValueText(std::string_view value)
{
    const std::size_t lineBreak = value.find_first_of(std::string_view("\r\n\0", 3));
    value = value.substr(0, lineBreak);
    const bool blankEnds = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    if (blankEnds || StripProfileQuotes(value).size() != value.size())
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::string_view StripProfileQuotes(std::string_view value)
{
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}
