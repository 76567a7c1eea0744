#pragma once

#include "log/CsvLogReader.h"
#include "stability/FrequencySample.h"
#include "stability/StabilityEngine.h"
#include "stability/StabilitySummary.h"

#include <span>
#include <string>
#include <vector>

// The analysis of a whole log is the StabilityEngine fed the log's readings in order:
// the numbers a live engine shows at the last reading are those of the file.
//
// The readings are cut into gap-free segments where t_s goes backwards, where the gate
// time changes and where a step is a gap (SegmentTracker.h). Each gate time has its own
// tau0, the mean step of its gap-free stretches (GateSpacing.h), not the gate time.
// No statistic spans a cut: each deviation pools the squared differences of every
// segment of one gate time long enough for its tau; the summary's own curves are those
// of the gate with the most readings, and byGate holds every gate's. The mean,
// deviation, minimum and maximum are over all readings; the drift is the least-squares
// slope fitted to each run (t_s advancing without a restart; a gap inside a run is time
// known) with the runs' sums pooled. Deviations are those of the fractional frequency
// y = (f - mean) / mean, also given in Hz (fractional * mean).

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

// Reads the log at path. False with error set when it cannot be read.
bool LoadLogSamples(const std::string& path, LogSamples& loaded, std::string& error);

// Readings in memory (their frequencies need not be whole hertz), with segmentStarts.
StabilitySummary AnalyseSamples(std::span<const FrequencySample> samples,
                                const AnalysisOptions& options = {});
// The same, with the lines the reader skipped carried into the summary.
StabilitySummary AnalyseLog(const LogSamples& loaded, const AnalysisOptions& options = {});

// The log at path read in one pass (two to remove the drift) in bounded memory, whatever
// its length; segmentStarts stays empty. False with error set when it cannot be read.
bool AnalyseLogFile(const std::string& path, const AnalysisOptions& options,
                    StabilitySummary& summary, std::string& error);
