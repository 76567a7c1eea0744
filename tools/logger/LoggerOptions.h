#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ConfidenceInterval.h"
#include "link/session/CounterSession.h"

// The command line of pelmora-log:
//   pelmora-log PORT [--baud N] [--csv FILE|-] [--c1 UF --c2 UF] [--duration S]
//               [--exit-on-hangup] [--serve-tcp N]
//   pelmora-log --attach PORT [--csv FILE|-] [--duration S]
//   pelmora-log --analyse FILE.csv [--json] [--plot FILE.png] [--remove-drift]
// and with either, [--confidence P].
struct LoggerOptions {
    bool analyse = false;

    std::string port;                // COM<n> or a device path
    std::optional<uint32_t> baud;    // one of the twelve speeds
    std::string csv = "-";           // "-": standard output
    std::optional<double> c1, c2;    // µF, both or neither
    std::optional<double> durationS;
    bool exitOnHangup = false;       // end when the adapter goes instead of waiting for it
    bool attach = false;             // read the stream of the program that holds port
    std::optional<int> serveTcp;     // serve the readings on 127.0.0.1 at this port too

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

// The settings file the Pelmora window of this installation uses: beside this
// executable in a portable folder; the user's one when installed (<X>/bin beside
// <X>/lib/pelmora). Only read, never written.
std::string WindowSettingsFile();

// PORT: COM<n> by its number, as the window maps it; anything else as a path.
PortChoice PortOf(const std::string& port);

// The speed the window would use: that of the settings file's BaudRate index, or of
// the default index when it is out of range.
uint32_t WindowBaudRate(const std::string& iniPath);
// The usage and the exit codes, for --help.
std::string LoggerHelp();

// Exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPort = 3;
inline constexpr int kExitLogWrite = 4;
inline constexpr int kExitPortLost = 5;
