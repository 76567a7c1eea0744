#include "settings/AppSettings.h"

#include "settings/FileStore.h"
#include "settings/NumberText.h"
#include "settings/Profile.h"
#include "settings/ProgramFolders.h"

#include <cerrno>
#include <cstddef>
#include <vector>

namespace {

constexpr std::size_t kNumberBuffer = 32;
constexpr std::size_t kFontBuffer = 256;
constexpr std::size_t kLanguageBuffer = 16;

int32_t ReadInt(std::string_view content, std::string_view section, std::string_view key,
                std::string_view defaultText)
{
    return Atoi(GetProfileStringFromText(content, section, key, defaultText, kNumberBuffer));
}

double ReadDouble(std::string_view content, std::string_view section, std::string_view key,
                  std::string_view defaultText)
{
    return Atof(GetProfileStringFromText(content, section, key, defaultText, kNumberBuffer));
}

// A capacitance whose "%.6f" text would not fit the reader's buffer is written
// in a shorter exact form, so the next start reads the same value.
std::string CapacitanceText(double value)
{
    return FormatFixed6Fitting(value, kNumberBuffer - 1);
}

std::vector<ProfileWrite> SettingsWrites(const AppSettings& settings)
{
    std::vector<ProfileWrite> writes = {
        {"Window", "TopMost", FormatInt(settings.TopMost)},
        {"Font", "Font", settings.FontPath},
        {"Port", "PortNumber", FormatInt(settings.PortNumber)},
        {"Port", "BaudRate", FormatInt(settings.BaudIndex)},
        {"LMeter", "C1", CapacitanceText(settings.C1)},
        {"LMeter", "C2", CapacitanceText(settings.C2)},
    };
    for (ProfileWrite& write : StatsSettingsWrites(settings.Stats))
        writes.push_back(std::move(write));
    return writes;
}

// Empty when the file cannot be read, so every field takes its default.
std::string SettingsText(const std::string& iniPath)
{
    SysResult<std::string> content = ReadSettingsFile(iniPath);
    return content ? std::move(content).Value() : std::string();
}

// A file that is there but no regular file of a fit size has no system reason of its own.
std::string SaveFailureText(const SysError& error)
{
    const bool refused = error.Code == EINVAL || error.Code == EISDIR || error.Code == EFBIG;
    return refused ? "the file cannot be replaced" : error.Text();
}

} // namespace

AppSettings SettingsFromText(std::string_view content, std::string_view defaultFontPath)
{
    AppSettings settings;
    settings.TopMost = ReadInt(content, "Window", "TopMost", "0");
    settings.FontPath = GetProfileStringFromText(content, "Font", "Font", defaultFontPath, kFontBuffer);
    settings.PortNumber = ReadInt(content, "Port", "PortNumber", "1");
    settings.BaudIndex = ReadInt(content, "Port", "BaudRate", "6");
    settings.C1 = ReadDouble(content, "LMeter", "C1", "0.1");
    settings.C2 = ReadDouble(content, "LMeter", "C2", "0.1");
    settings.Stats = StatsSettingsFromText(content);
    return settings;
}

std::string SettingsToText(std::string_view content, const AppSettings& settings)
{
    return ApplyProfileWrites(content, SettingsWrites(settings));
}

void LoadSettings(AppSettings& settings, const std::string& iniPath,
                  const std::string& defaultFontPath)
{
    // One read for all six keys.
    const std::string content = SettingsText(iniPath);
    settings = SettingsFromText(content, defaultFontPath);
}

bool SaveSettings(const AppSettings& settings, const std::string& iniPath, std::string* reason)
{
    // The installed program's settings folder is made on the first save.
    SysStatus saved = MakeFolderFor(iniPath);
    if (saved)
        saved = WriteProfileFile(iniPath, SettingsWrites(settings));
    if (!saved && reason != nullptr)
        *reason = SaveFailureText(saved.Error());
    return saved.Ok();
}

std::string LanguageFromText(std::string_view content)
{
    return GetProfileStringFromText(content, "Window", "Language", "", kLanguageBuffer);
}

std::string ReadLanguage(const std::string& iniPath)
{
    const std::string content = SettingsText(iniPath);
    return LanguageFromText(content);
}

ShareSettings ReadShareSettings(const std::string& iniPath)
{
    const std::string content = SettingsText(iniPath);
    ShareSettings share;
    share.Enabled = ReadInt(content, "Share", "Enabled", "1") != 0;
    const int32_t port = ReadInt(content, "Share", "TcpPort", "0");
    share.TcpPort = port > 0 && port <= 65535 ? port : 0;
    return share;
}
