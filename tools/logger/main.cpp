// pelmora-log: records the counter into a CSV log and analyses such logs.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/logger/LoggerAnalyse.h"
#include "tools/logger/LoggerOptions.h"
#include "tools/logger/LoggerRecord.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(LoggerHelp().c_str(), stdout);
        return kExitDone;
    }
    LoggerOptions options;
    std::string error;
    if (!ParseLoggerOptions(arguments, options, error)) {
        std::fprintf(stderr, "pelmora-log: %s\n%s", error.c_str(), LoggerUsage().c_str());
        return kExitUsage;
    }
    return options.analyse ? RunAnalysis(options, argc, argv) : RunRecording(options);
}
