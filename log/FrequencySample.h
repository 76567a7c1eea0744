#pragma once

#include "log/LogRow.h"

#include <cstdint>
#include <optional>
#include <span>

// One reading as the statistics see it.
struct FrequencySample {
    double tS = 0.0;  // t_s: seconds since the log started (monotonic)
    double frequencyHz = 0.0;
    std::optional<uint32_t> gateMs;  // gate time; empty when not known
};

FrequencySample SampleOf(const LogRow& row);

// Why a new gap-free segment starts at a reading. The rules are shared by the batch
// analysis, the streaming statistics and the plot, so all three cut alike.
enum class SegmentBreak {
    None,
    Restart,     // t_s did not advance: a new run (appended file) or a clock fault
    Gap,         // the step exceeds 1.5 tau0: readings are missing
    GateChange,  // the gate time changed, known to unknown included
};

// The step between consecutive readings in whole microseconds. Steps are compared as
// integers so the same data gives the same intervals and the same cuts everywhere.
int64_t StepMicroseconds(const FrequencySample& before, const FrequencySample& after);

// The reason, tested in the order Restart, Gap, GateChange; tau0Us is the median step.
SegmentBreak BreakBetween(const FrequencySample& before, const FrequencySample& after,
                          double tau0Us);

// The median of the positive steps in microseconds (the mean of the middle two for an
// even count); NaN when there is none. Reorders nothing it is given.
double MedianPositiveStepUs(std::span<const FrequencySample> samples);
