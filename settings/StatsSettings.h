#pragma once

#include "settings/Profile.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The statistics window's settings, section [Stats] of Pelmora.ini. Read with the
// others at start; written with them at the confirmed exit, but only in a run that
// opened the window, so a file of a run without it stays as it was. Values are taken
// as read; the window keeps those it can use.
struct StatsSettings {
    int32_t Open = 0;  // 1: the window opens at start
    int32_t Width = 0;  // 0: the window's own size
    int32_t Height = 0;
    std::optional<int32_t> X;  // absent where the window system does not let it place itself
    std::optional<int32_t> Y;
    double NominalHz = 10e6;
    int32_t Average = 100;      // readings of the moving average
    int32_t TrendMinutes = 10;  // span of the trend; 0: the whole run
    bool Used = false;          // the window was open in this run: write the section at exit
};

StatsSettings StatsSettingsFromText(std::string_view content);

// The writes of [Stats], empty unless Used.
std::vector<ProfileWrite> StatsSettingsWrites(const StatsSettings& stats);
