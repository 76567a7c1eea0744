#include "settings/Profile.h"

#include <cerrno>

#include "settings/FileStore.h"
#include "settings/ProfileText.h"

namespace {

std::string CutToBuffer(std::string_view value, std::size_t bufferSize)
{
    return std::string(value.substr(0, bufferSize == 0 ? 0 : bufferSize - 1));
}

} // namespace

std::string GetProfileStringFromText(std::string_view content, std::string_view section,
                                     std::string_view key, std::string_view defaultText,
                                     std::size_t bufferSize)
{
    const ProfileText text{std::string(content)};
    const auto value = text.RawValue(section, key);
    if (!value)
        return std::string(defaultText);
    // The value is a C string for the rest of the program: it ends at a zero byte.
    const std::string_view cString = value->substr(0, value->find('\0'));
    return CutToBuffer(StripProfileQuotes(cString), bufferSize);
}

std::string GetProfileString(const std::string& file, std::string_view section,
                             std::string_view key, std::string_view defaultText,
                             std::size_t bufferSize)
{
    const SysResult<std::string> content = ReadSettingsFile(file);
    if (!content)
        return std::string(defaultText);
    return GetProfileStringFromText(content.Value(), section, key, defaultText, bufferSize);
}

std::string ApplyProfileWrites(std::string_view content, const std::vector<ProfileWrite>& writes)
{
    ProfileText text{std::string(content)};
    for (const ProfileWrite& write : writes)
        text.Write(write.Section, write.Key, write.Value);
    return text.Content();
}

bool WriteProfileStrings(const std::string& file, const std::vector<ProfileWrite>& writes)
{
    return WriteProfileFile(file, writes).Ok();
}

SysStatus WriteProfileFile(const std::string& file, const std::vector<ProfileWrite>& writes)
{
    // Through a symbolic link to its target, so the link itself stays a link.
    const std::string target = ResolveLinks(file);
    const SysResult<std::string> read = ReadSettingsFile(target);
    const bool missing = read.Error().Code == ENOENT;
    if (!read && !missing)
        return read.Error();
    const std::string content = missing ? std::string() : read.Value();
    const std::string updated = ApplyProfileWrites(content, writes);
    if (!missing && updated == content)
        return Done{};
    return ReplaceFileBytes(target, updated);
}
