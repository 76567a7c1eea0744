#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "settings/Profile.h"
#include "tools/simulator/CounterSimulator.h"

namespace {

bool MapPortInIni(const SimulatorOptions& options, const std::string& slavePath)
{
    const std::string key = "COM" + std::to_string(options.ComNumber);
    return WriteProfileStrings(options.IniPath, {{"Port", key, slavePath}});
}

}  // namespace

int main(int argc, char** argv)
{
    SimulatorOptions options;
    std::string error;
    if (!ParseSimulatorOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "pelmora-counter-sim: %s\n(--help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.Help) {
        std::fputs(SimulatorUsage().c_str(), stdout);
        return 0;
    }
    try {
        CounterPty pty;
        std::printf("%s\n", pty.SlavePath().c_str());
        std::fflush(stdout);
        if (!options.IniPath.empty() && !MapPortInIni(options, pty.SlavePath())) {
            std::fprintf(stderr, "pelmora-counter-sim: cannot write %s\n", options.IniPath.c_str());
            return 1;
        }
        const std::atomic<bool> stop{false};
        RunSimulator(pty, options, stop);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "pelmora-counter-sim: %s\n", failure.what());
        return 1;
    }
    return 0;
}
