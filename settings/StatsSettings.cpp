#include "settings/StatsSettings.h"

#include "settings/NumberText.h"

#include <charconv>
#include <string>

namespace {

constexpr std::size_t kNumberBuffer = 32;
constexpr std::string_view kSection = "Stats";

std::string Read(std::string_view content, std::string_view key, std::string_view defaultText)
{
    return GetProfileStringFromText(content, kSection, key, defaultText, kNumberBuffer);
}

std::optional<int32_t> ReadOptionalInt(std::string_view content, std::string_view key)
{
    // A key name cannot appear as a value's text, so it marks the key as absent.
    const std::string text = Read(content, key, key);
    if (text == key)
        return std::nullopt;
    return Atoi(text);
}

// The shortest text Atof reads back as the same value, without an exponent.
std::string HzText(double hz)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, hz, std::chars_format::fixed);
    return result.ec == std::errc() ? std::string(text, result.ptr) : FormatFixed6(hz);
}

}  // namespace

StatsSettings StatsSettingsFromText(std::string_view content)
{
    StatsSettings stats;
    stats.Open = Atoi(Read(content, "Open", "0"));
    stats.Width = Atoi(Read(content, "Width", "0"));
    stats.Height = Atoi(Read(content, "Height", "0"));
    stats.X = ReadOptionalInt(content, "X");
    stats.Y = ReadOptionalInt(content, "Y");
    stats.NominalHz = Atof(Read(content, "Nominal", "10000000"));
    stats.Average = Atoi(Read(content, "Average", "100"));
    stats.TrendMinutes = Atoi(Read(content, "TrendMinutes", "10"));
    return stats;
}

std::vector<ProfileWrite> StatsSettingsWrites(const StatsSettings& stats)
{
    if (!stats.Used)
        return {};
    std::vector<ProfileWrite> writes = {
        {"Stats", "Open", FormatInt(stats.Open)},
        {"Stats", "Width", FormatInt(stats.Width)},
        {"Stats", "Height", FormatInt(stats.Height)},
    };
    if (stats.X && stats.Y) {
        writes.push_back({"Stats", "X", FormatInt(*stats.X)});
        writes.push_back({"Stats", "Y", FormatInt(*stats.Y)});
    }
    writes.push_back({"Stats", "Nominal", HzText(stats.NominalHz)});
    writes.push_back({"Stats", "Average", FormatInt(stats.Average)});
    writes.push_back({"Stats", "TrendMinutes", FormatInt(stats.TrendMinutes)});
    return writes;
}
