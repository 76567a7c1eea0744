#include "tests/fuzz/SettingsCheck.h"

#include <cmath>
#include <limits>

#include "tests/fuzz/OwnedLines.h"
#include "tests/support/TempDir.h"

namespace {

// "%.6f" rounds to six decimals, and the text read back is itself rounded to
// the nearest double: a few units in the last place more.
constexpr double kSixDecimals = 0.5e-6;
constexpr double kLastPlaces = 4 * std::numeric_limits<double>::epsilon();

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

std::string CheckSettingsText(std::span<const uint8_t> data)
{
    const std::string_view input(reinterpret_cast<const char*>(data.data()), data.size());
    const AppSettings loaded = SettingsFromText(input, kFuzzDefaultFont);
    const std::string firstSave = SettingsToText(input, loaded);
    const AppSettings reloaded = SettingsFromText(firstSave, kFuzzDefaultFont);
    const std::string secondSave = SettingsToText(firstSave, reloaded);
    return RoundTripFault(input, firstSave, loaded, reloaded, secondSave);
}

std::string CheckSettingsFile(std::span<const uint8_t> data, const TempDir& folder)
{
    const std::string_view input(reinterpret_cast<const char*>(data.data()), data.size());
    const std::string path = folder.File("Pelmora.ini");
    folder.Write("Pelmora.ini", input);
    const std::string defaultFont(kFuzzDefaultFont);
    AppSettings loaded;
    LoadSettings(loaded, path, defaultFont);
    SaveSettings(loaded, path);
    const std::string firstSave = folder.Read("Pelmora.ini");
    if (firstSave != SettingsToText(input, SettingsFromText(input, kFuzzDefaultFont)))
        return "the saved file differs from the in-memory save";
    AppSettings reloaded;
    LoadSettings(reloaded, path, defaultFont);
    SaveSettings(reloaded, path);
    return RoundTripFault(input, firstSave, loaded, reloaded, folder.Read("Pelmora.ini"));
}
