#include "tests/fuzz/SettingsCheck.h"

#include <cmath>
#include <limits>
#include <vector>

#include "settings/NumberText.h"
#include "settings/Profile.h"
#include "tests/fuzz/OwnedLines.h"
#include "tests/fuzz/ScratchFolder.h"

namespace {

constexpr std::size_t kNumberBuffer = 32;
constexpr std::size_t kFontBuffer = 256;
// "%.6f" rounds to six decimals, and the text read back is itself rounded to
// the nearest double: a few units in the last place more.
constexpr double kSixDecimals = 0.5e-6;
constexpr double kLastPlaces = 4 * std::numeric_limits<double>::epsilon();

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

bool SameCapacitance(double saved, double read)
{
    return saved == read || std::abs(saved - read) <= kSixDecimals + kLastPlaces * std::abs(saved);
}

// What a value can keep in the file: the part before its first line break.
std::string FileHeldText(const std::string& value)
{
    return value.substr(0, value.find_first_of("\r\n"));
}

std::string ValuesFault(const AppSettings& saved, const AppSettings& read)
{
    if (saved.TopMost != read.TopMost || saved.PortNumber != read.PortNumber || saved.BaudIndex != read.BaudIndex)
        return "an integer setting read back differs from the one saved";
    if (FileHeldText(saved.FontPath) != read.FontPath)
        return "the font path read back differs from the one saved";
    if (!SameCapacitance(saved.C1, read.C1) || !SameCapacitance(saved.C2, read.C2))
        return "a capacitance read back differs from the one saved";
    return {};
}

// Both saves of one round trip and the values between them.
std::string RoundTripFault(std::string_view input, const std::string& firstSave, const AppSettings& loaded,
                           const AppSettings& reloaded, const std::string& secondSave)
{
    if (std::string fault = UnownedLinesFault(input, firstSave); !fault.empty())
        return fault;
    if (std::string fault = ValuesFault(loaded, reloaded); !fault.empty())
        return fault;
    if (secondSave != firstSave)
        return "the second save changed the file";
    return {};
}

} // namespace

AppSettings LoadSettingsFromText(std::string_view content)
{
    AppSettings settings;
    settings.TopMost = ReadInt(content, "Window", "TopMost", "0");
    settings.FontPath = GetProfileStringFromText(content, "Font", "Font", kFuzzDefaultFont, kFontBuffer);
    settings.PortNumber = ReadInt(content, "Port", "PortNumber", "1");
    settings.BaudIndex = ReadInt(content, "Port", "BaudRate", "6");
    settings.C1 = ReadDouble(content, "LMeter", "C1", "0.1");
    settings.C2 = ReadDouble(content, "LMeter", "C2", "0.1");
    return settings;
}

std::string SaveSettingsToText(std::string_view content, const AppSettings& settings)
{
    const std::vector<ProfileWrite> writes = {
        {"Window", "TopMost", FormatInt(settings.TopMost)},
        {"Font", "Font", settings.FontPath},
        {"Port", "PortNumber", FormatInt(settings.PortNumber)},
        {"Port", "BaudRate", FormatInt(settings.BaudIndex)},
        {"LMeter", "C1", FormatFixed6Fitting(settings.C1, kNumberBuffer - 1)},
        {"LMeter", "C2", FormatFixed6Fitting(settings.C2, kNumberBuffer - 1)},
    };
    return ApplyProfileWrites(content, writes);
}

std::string CheckSettingsText(std::span<const uint8_t> data)
{
    const std::string_view input(reinterpret_cast<const char*>(data.data()), data.size());
    const AppSettings loaded = LoadSettingsFromText(input);
    const std::string firstSave = SaveSettingsToText(input, loaded);
    const AppSettings reloaded = LoadSettingsFromText(firstSave);
    const std::string secondSave = SaveSettingsToText(firstSave, reloaded);
    return RoundTripFault(input, firstSave, loaded, reloaded, secondSave);
}

std::string CheckSettingsFile(std::span<const uint8_t> data, const ScratchFolder& folder)
{
    const std::string_view input(reinterpret_cast<const char*>(data.data()), data.size());
    const std::string path = folder.File("Pelmora.ini");
    if (!folder.Write("Pelmora.ini", input))
        return "the scratch folder cannot be written";
    const std::string defaultFont(kFuzzDefaultFont);
    AppSettings loaded;
    LoadSettings(loaded, path, defaultFont);
    SaveSettings(loaded, path);
    const std::string firstSave = folder.Read("Pelmora.ini");
    if (firstSave != SaveSettingsToText(input, LoadSettingsFromText(input)))
        return "the saved file differs from the in-memory save";
    AppSettings reloaded;
    LoadSettings(reloaded, path, defaultFont);
    SaveSettings(reloaded, path);
    return RoundTripFault(input, firstSave, loaded, reloaded, folder.Read("Pelmora.ini"));
}
