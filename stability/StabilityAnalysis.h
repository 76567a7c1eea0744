#pragma once

#include "log/CsvLogReader.h"
#include "stability/FrequencySample.h"
#include "stability/StabilityEngine.h"
#include "stability/StabilitySummary.h"

#include <span>
#include <string>
#include <vector>

// The analysis of a whole log is the StabilityEngine fed the log's readings in order:
// the numbers a live engine shows at the last reading are those of the file. What it
// computes: stability/README.md.

// The readings of one log file as the plot takes them.
struct LogSamples {
    std::vector<FrequencySample> samples;
    LogReadCounts counts;
};

struct AnalysisOptions {
    double confidence = analysis::kOneSigmaProbability;
    // Fit the drift first and take it out of the readings before the deviations.
    bool removeDrift = false;
};

// Reads the log at path; the error of the call that failed when it cannot be read.
SysStatus LoadLogSamples(const std::string& path, LogSamples& loaded);

// Readings in memory (their frequencies need not be whole hertz), with segmentStarts.
StabilitySummary AnalyseSamples(std::span<const FrequencySample> samples,
                                const AnalysisOptions& options = {});
// The same, with the lines the reader skipped carried into the summary.
StabilitySummary AnalyseLog(const LogSamples& loaded, const AnalysisOptions& options = {});

// The log at path read in one pass (two to remove the drift) in bounded memory, whatever
// its length; segmentStarts stays empty. The error of the call that failed when it
// cannot be read.
SysStatus AnalyseLogFile(const std::string& path, const AnalysisOptions& options, StabilitySummary& summary);
