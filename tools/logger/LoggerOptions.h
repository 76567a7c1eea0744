#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ConfidenceInterval.h"

// The command line of pelmora-log:
//   pelmora-log PORT [--baud N] [--csv FILE|-] [--c1 UF --c2 UF] [--duration S]
//   pelmora-log --analyse FILE.csv [--json] [--plot FILE.png] [--remove-drift]
// and with either, [--confidence P].
struct LoggerOptions {
    bool analyse = false;

    std::string port;                // COM<n> or a device path
    std::optional<uint32_t> baud;    // one of the twelve speeds
    std::string csv = "-";           // "-": standard output
    std::optional<double> c1, c2;    // µF, both or neither
    std::optional<double> durationS;

    std::string analysePath;
    bool json = false;
    std::string plotPath;
    bool removeDrift = false;
    double confidence = analysis::kOneSigmaProbability;  // of the deviations' intervals
};

// False with a one-line reason in error for anything the usage does not allow.
bool ParseLoggerOptions(const std::vector<std::string>& arguments, LoggerOptions& options,
                        std::string& error);

std::string LoggerUsage();

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;
inline constexpr int kExitLogWrite = 4;
