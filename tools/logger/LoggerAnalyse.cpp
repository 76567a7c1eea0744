#include "tools/logger/LoggerAnalyse.h"

#include <cstdio>
#include <string>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "log/LogFailure.h"
#include "stability/StabilityAnalysis.h"
#include "stability/StabilityPlot.h"

namespace {

constexpr int kExitCannotRead = 1;

bool SavePlot(const std::string& path, const LogSamples& loaded, const StabilitySummary& summary,
              int argc, char** argv, std::string& error)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder and warns without one; a session may have none.
    const QTemporaryDir runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid())
        qputenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit());
    QGuiApplication application(argc, argv);
    return StabilityPlot().SavePng(path, loaded.samples, summary, error);
}

}  // namespace

int RunAnalysis(const LoggerOptions& options, int argc, char** argv)
{
    const AnalysisOptions analysis{options.confidence, options.removeDrift};
    LogSamples loaded;  // only for a plot: the analysis itself streams the file
    StabilitySummary summary;
    const SysStatus read = options.plotPath.empty() ? AnalyseLogFile(options.analysePath, analysis, summary)
                                                    : LoadLogSamples(options.analysePath, loaded);
    if (!read) {
        std::fprintf(stderr, "pelmora-log: %s\n", LogReadFailureText(options.analysePath, read.Error()).c_str());
        return kExitCannotRead;
    }
    if (!options.plotPath.empty())
        summary = AnalyseLog(loaded, analysis);
    if (summary.count == 0) {
        std::fprintf(stderr, "pelmora-log: %s: no readable row\n", options.analysePath.c_str());
        return kExitCannotRead;
    }
    const std::string text = options.json ? SummaryJson(summary) : SummaryText(summary);
    std::fputs(text.c_str(), stdout);
    std::string error;
    if (!options.plotPath.empty() && !SavePlot(options.plotPath, loaded, summary, argc, argv, error)) {
        std::fprintf(stderr, "pelmora-log: %s\n", error.c_str());
        return kExitCannotRead;
    }
    return kExitDone;
}
