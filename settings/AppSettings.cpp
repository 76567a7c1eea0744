#include "settings/AppSettings.h"

#include "settings/NumberText.h"
#include "settings/Profile.h"

#include <cstddef>
#include <vector>

namespace {

constexpr std::size_t kNumberBuffer = 32;
constexpr std::size_t kFontBuffer = 256;

int32_t ReadInt(const std::string& iniPath, const char* section, const char* key,
                const char* defaultText)
{
    return Atoi(GetProfileString(iniPath, section, key, defaultText, kNumberBuffer));
}

double ReadDouble(const std::string& iniPath, const char* section, const char* key,
                  const char* defaultText)
{
    return Atof(GetProfileString(iniPath, section, key, defaultText, kNumberBuffer));
}

// A capacitance whose "%.6f" text would not fit the reader's buffer is written
// in a shorter exact form, so the next start reads the same value.
std::string CapacitanceText(double value)
{
    return FormatFixed6Fitting(value, kNumberBuffer - 1);
}

} // namespace

void LoadSettings(AppSettings& settings, const std::string& iniPath,
                  const std::string& defaultFontPath)
{
    settings.TopMost = ReadInt(iniPath, "Window", "TopMost", "0");
    settings.FontPath = GetProfileString(iniPath, "Font", "Font", defaultFontPath, kFontBuffer);
    settings.PortNumber = ReadInt(iniPath, "Port", "PortNumber", "1");
    settings.BaudIndex = ReadInt(iniPath, "Port", "BaudRate", "6");
    settings.C1 = ReadDouble(iniPath, "LMeter", "C1", "0.1");
    settings.C2 = ReadDouble(iniPath, "LMeter", "C2", "0.1");
}

void SaveSettings(const AppSettings& settings, const std::string& iniPath)
{
    const std::vector<ProfileWrite> writes = {
        {"Window", "TopMost", FormatInt(settings.TopMost)},
        {"Font", "Font", settings.FontPath},
        {"Port", "PortNumber", FormatInt(settings.PortNumber)},
        {"Port", "BaudRate", FormatInt(settings.BaudIndex)},
        {"LMeter", "C1", CapacitanceText(settings.C1)},
        {"LMeter", "C2", CapacitanceText(settings.C2)},
    };
    // A file that cannot be written loses this run's changes; nothing is reported.
    WriteProfileStrings(iniPath, writes);
}
