#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bytes of a private-profile file with the place of every section header
// and key line, so that a value can be looked up or replaced while every other
// byte stays as it is.
//
// A line "[name]" (blanks around it allowed, text after ']' ignored) starts a
// section; a '[' line without ']' is an ordinary line. A line with '=' is a
// key: name before the first '=', value after it, blanks around both dropped.
// Lines without '=' (comments, blank lines, anything else) are never keys.
// Only the first section of a name counts and in it only the first key of a
// name, both compared without regard to ASCII letter case. A UTF-8 byte order
// mark at the start is skipped; other bytes are taken as they are.
class ProfileText {
public:
    explicit ProfileText(std::string content);

    const std::string& Content() const { return content_; }

    // The value as it stands (blanks dropped, quotes kept), or nothing when the
    // section or the key is missing.
    std::optional<std::string_view> RawValue(std::string_view section,
                                             std::string_view key) const;

    // Replaces the value where it stands, or adds the key at the end of its
    // section (after its last non-blank line), or the section at the end.
    void Write(std::string_view section, std::string_view key, std::string_view value);

private:
    enum class LineKind { Other, Section, Key };

    struct Line {
        std::size_t Begin = 0;
        std::size_t End = 0;   // before the line end ("\n" or "\r\n")
        std::size_t Next = 0;  // start of the following line
        LineKind Kind = LineKind::Other;
        std::size_t NameBegin = 0;
        std::size_t NameEnd = 0;
        std::size_t ValueBegin = 0;
        std::size_t ValueEnd = 0;
        bool Blank = true;
    };

    void Parse();
    Line ParseLine(std::size_t begin, std::size_t end, std::size_t next) const;
    std::string_view Name(const Line& line) const;
    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    std::string_view LineEnding() const;
    void InsertLines(std::size_t position, bool needsLineEnd, std::string_view lines);

    std::string content_;
    std::vector<Line> lines_;
};

// value as written to the file: cut at its first line break or zero byte (it
// would otherwise start new lines), and enclosed in double quotes when blanks
// at its ends or a pair of enclosing quotes would be lost on reading.
std::string ProfileValueText(std::string_view value);

// value as read from the file: one pair of enclosing quotes removed.
std::string_view StripProfileQuotes(std::string_view value);
