#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/AppSettings.h"

class TempDir;

// The settings path the fuzz checks give for the default font.
inline constexpr std::string_view kFuzzDefaultFont = "/opt/pelmora/font/font.bmp";

// Arbitrary bytes as Pelmora.ini through load, save, load, save: the lines the
// program does not own survive in order, the values read back are the ones
// saved, and the second save changes nothing. Empty when every check held,
// else what broke first.
std::string CheckSettingsText(std::span<const uint8_t> data);

// The same round trip through LoadSettings and SaveSettings on a real file in
// folder; the first save must also leave exactly the text the in-memory
// functions produce.
std::string CheckSettingsFile(std::span<const uint8_t> data, const TempDir& folder);
