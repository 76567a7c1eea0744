#pragma once

#include "log/CsvLogReader.h"
#include "log/FrequencySample.h"
#include "log/StabilitySummary.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

// The batch analysis of a whole log.
//
// The readings are cut into gap-free segments where t_s goes backwards, where the gate
// time changes and where a step is a gap (SegmentTracker.h). Each gate time has its own
// tau0, the mean step of its gap-free stretches (GateSpacing.h), not the gate time.
// No statistic spans a cut: each deviation pools the squared differences of every
// segment of one gate time long enough for its tau (sums of squares and term counts
// added); the summary's own curves are those of the gate with the most readings, and
// byGate holds every gate's. The mean, deviation,
// minimum and maximum are over all readings; the drift is the least-squares slope
// fitted to each run (t_s advancing without a restart; a gap inside a run is time
// known) with the runs' sums pooled. Deviations are those of the fractional frequency
// y = (f - mean) / mean, also given in Hz (fractional * mean).
//
// The work is O(N) per tau on prefix sums (AllanDeviation.h), so all taus of 10^6
// readings take well under a second.

// The readings of one log file as the analysis and the plot take them.
struct LogSamples {
    std::vector<FrequencySample> samples;
    LogReadCounts counts;
};

// Reads the log at path. False with error set when it cannot be read.
bool LoadLogSamples(const std::string& path, LogSamples& loaded, std::string& error);

StabilitySummary AnalyseSamples(std::span<const FrequencySample> samples);
// The same, with the lines the reader skipped carried into the summary.
StabilitySummary AnalyseLog(const LogSamples& loaded);

struct DeviationCurves {
    std::vector<DeviationPoint> adev;  // overlapping Allan
    std::vector<DeviationPoint> mdev;  // modified Allan
};

// The curves of one gap-free run of fractional frequencies y taken tau0 apart, at
// tau0 * 2^k while tau <= (N-1) tau0 / 4. The points carry no Hz values. For other
// taus and the non-overlapping deviation use AllanDeviation directly.
DeviationCurves FractionalDeviationCurves(std::span<const double> y, double tau0S);
