#pragma once

#include "analysis/NoiseType.h"
#include "stability/FrequencySample.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// One point of a deviation curve.
struct DeviationPoint {
    double tauS = 0.0;
    uint64_t terms = 0;  // squared differences pooled over all segments
    double fractional = std::numeric_limits<double>::quiet_NaN();
    double hz = std::numeric_limits<double>::quiet_NaN();  // fractional * mean; NaN without a mean
    double seconds = std::numeric_limits<double>::quiet_NaN();  // the time deviation's value
    // The interval at the summary's confidence, in the unit of fractional (seconds for
    // the time deviation), and the degrees of freedom it rests on; NaN where the
    // terms are too few or the noise type is not known.
    double lower = std::numeric_limits<double>::quiet_NaN();
    double upper = std::numeric_limits<double>::quiet_NaN();
    double edf = std::numeric_limits<double>::quiet_NaN();
    std::optional<analysis::NoiseType> noise;  // identified at this tau
    uint64_t stride = 1;  // 1: every overlapping term; else the readings between the terms taken
};

// The deviations of the readings of one gate time, pooled over its segments alone.
struct GateDeviations {
    std::optional<uint32_t> gateMs;  // empty: readings whose gate time is not known
    double tau0S = std::numeric_limits<double>::quiet_NaN();  // this gate's mean gap-free step
    uint64_t count = 0;                                       // its readings
    std::vector<DeviationPoint> adev;
    std::vector<DeviationPoint> mdev;
    std::vector<DeviationPoint> hdev;  // overlapping Hadamard
    std::vector<DeviationPoint> tdev;  // time deviation, seconds
};

// Where a gap-free segment begins, and why.
struct SegmentStart {
    uint64_t index = 0;  // of its first reading
    SegmentBreak reason = SegmentBreak::First;
};

// What the analysis of one log found. A value that cannot be had (a deviation of one
// reading, a drift without a time span) is NaN; the renderings show it as "-" and null.
struct StabilitySummary {
    uint64_t count = 0;         // readings analysed
    uint64_t skippedLines = 0;  // malformed lines the reader passed over
    double spanS = std::numeric_limits<double>::quiet_NaN();  // t_s covered, summed over runs
    double tau0S = std::numeric_limits<double>::quiet_NaN();  // of the gate with the most readings

    uint64_t segments = 0;     // gap-free stretches the deviations were computed on
    uint64_t restarts = 0;     // breaks where t_s went backwards (appended runs)
    uint64_t gaps = 0;         // breaks where readings were missing (SegmentTracker.h)
    uint64_t gateChanges = 0;  // breaks where the gate time changed
    // Readings of gate times beyond the first SegmentTracker::kFullGates: in the count,
    // the level and the drift, in no deviation. 0 in any real counter's log.
    uint64_t otherGateReadings = 0;

    double meanHz = std::numeric_limits<double>::quiet_NaN();
    double stddevHz = std::numeric_limits<double>::quiet_NaN();  // sample (n-1)
    double minHz = std::numeric_limits<double>::quiet_NaN();
    double maxHz = std::numeric_limits<double>::quiet_NaN();
    double lastHz = std::numeric_limits<double>::quiet_NaN();
    double driftHzPerS = std::numeric_limits<double>::quiet_NaN();  // least-squares slope
    double driftPpmPerHour = std::numeric_limits<double>::quiet_NaN();

    // Overlapping Allan and modified Allan deviation of y = (f - mean) / mean at
    // tau0 * 2^k up to a quarter of the span, of the gate with the most readings; only
    // taus with terms are listed.
    std::vector<DeviationPoint> adev;
    std::vector<DeviationPoint> mdev;
    std::vector<DeviationPoint> hdev;
    std::vector<DeviationPoint> tdev;
    double confidence = std::numeric_limits<double>::quiet_NaN();  // of the intervals
    // The slope taken out of the readings before the deviations; NaN when none was.
    double driftRemovedHzPerS = std::numeric_limits<double>::quiet_NaN();
    // The same for each gate time, in order of gate time (unknown first).
    std::vector<GateDeviations> byGate;

    // The first reading of each segment, for drawing; not rendered.
    std::vector<SegmentStart> segmentStarts;
};

// A few aligned lines for a person at the bench, with the deviation table below;
// numbers always with a decimal point, whatever the locale.
std::string SummaryText(const StabilitySummary& summary);

// One JSON object (keys in stability/README.md), ending in a line feed. Numbers are the
// shortest text that reads back as the same double; NaN is null.
std::string SummaryJson(const StabilitySummary& summary);
