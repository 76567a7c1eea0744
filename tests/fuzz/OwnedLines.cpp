#include "tests/fuzz/OwnedLines.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::string_view kBlanks = " \t\v\f\r";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMostAddedLines = 10;

struct OwnedKey {
    std::string_view Section;
    std::string_view Key;
};

constexpr std::array<OwnedKey, 6> kOwnedKeys = {{
    {"window", "topmost"},
    {"font", "font"},
    {"port", "portnumber"},
    {"port", "baudrate"},
    {"lmeter", "c1"},
    {"lmeter", "c2"},
}};

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

std::optional<std::string> SectionName(std::string_view line)
{
    const std::string_view trimmed = Trim(line);
    const std::size_t close = trimmed.find(']');
    if (trimmed.empty() || trimmed.front() != '[' || close == std::string_view::npos)
        return std::nullopt;
    return Lower(Trim(trimmed.substr(1, close - 1)));
}

std::optional<std::string> KeyName(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Lower(Trim(line.substr(0, equals)));
}

// A line is kept when its bytes stand unchanged; a last line without a line
// end may have gained the '\r' of a "\r\n" added after it.
bool Kept(std::string_view before, bool openEnd, std::string_view after)
{
    if (after == before)
        return true;
    return openEnd && after.size() == before.size() + 1 && after.starts_with(before) && after.back() == '\r';
}

// Walks the lines and remembers, per owned key, the first line it owns.
class OwnerScan {
public:
    void Visit(std::string_view line, std::size_t index)
    {
        if (const auto section = SectionName(line)) {
            firstOfName_ = std::find(seen_.begin(), seen_.end(), *section) == seen_.end();
            seen_.push_back(*section);
            current_ = *section;
            return;
        }
        const auto key = KeyName(line);
        if (!key || !firstOfName_)
            return;
        for (std::size_t k = 0; k < kOwnedKeys.size(); ++k) {
            if (kOwnedKeys[k].Section == current_ && kOwnedKeys[k].Key == *key && !owned_[k])
                owned_[k] = index;
        }
    }

    std::vector<std::size_t> Indices() const
    {
        std::vector<std::size_t> indices;
        for (const auto& index : owned_) {
            if (index)
                indices.push_back(*index);
        }
        return indices;
    }

private:
    std::vector<std::string> seen_;
    std::string current_;
    bool firstOfName_ = false;  // keys before any section belong to none
    std::array<std::optional<std::size_t>, kOwnedKeys.size()> owned_{};
};

} // namespace

std::vector<std::string_view> SplitIniLines(std::string_view content)
{
    if (content.starts_with(kByteOrderMark))
        content.remove_prefix(kByteOrderMark.size());
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        lines.push_back(content.substr(0, newline));
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
    }
    return lines;
}

std::vector<std::size_t> OwnedLineIndices(std::string_view content)
{
    const std::vector<std::string_view> lines = SplitIniLines(content);
    OwnerScan scan;
    for (std::size_t i = 0; i < lines.size(); ++i)
        scan.Visit(lines[i], i);
    return scan.Indices();
}

std::string UnownedLinesFault(std::string_view before, std::string_view after)
{
    const std::vector<std::string_view> oldLines = SplitIniLines(before);
    const std::vector<std::string_view> newLines = SplitIniLines(after);
    const std::vector<std::size_t> owned = OwnedLineIndices(before);
    const bool openEnd = !before.empty() && !before.ends_with('\n');
    std::size_t next = 0;
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
        if (std::find(owned.begin(), owned.end(), i) != owned.end())
            continue;
        const bool open = openEnd && i + 1 == oldLines.size();
        const auto found = std::find_if(newLines.begin() + static_cast<std::ptrdiff_t>(next), newLines.end(),
                                        [&](std::string_view line) { return Kept(oldLines[i], open, line); });
        if (found == newLines.end())
            return "line " + std::to_string(i + 1) + " of the user's was lost or moved";
        next = static_cast<std::size_t>(found - newLines.begin()) + 1;
    }
    if (newLines.size() > oldLines.size() + kMostAddedLines)
        return "the save added more lines than the program owns";
    return {};
}
