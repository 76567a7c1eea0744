#pragma once

#include "log/LogRow.h"

#include <cstdint>
#include <optional>

// One reading as the statistics see it.
struct FrequencySample {
    double tS = 0.0;  // t_s: seconds since the log started (monotonic)
    double frequencyHz = 0.0;
    std::optional<uint32_t> gateMs;  // gate time; empty when not known
};

FrequencySample SampleOf(const LogRow& row);

// Why a new gap-free segment starts at a reading. SegmentTracker decides it, for the
// batch analysis, the streaming statistics, the drift runs and the plot alike.
enum class SegmentBreak {
    None,        // the reading continues the segment of the one before
    First,       // the first reading: the first segment
    Restart,     // t_s went backwards: a new run (appended file) or a clock fault
    GateChange,  // the gate time changed, known to unknown included
    Gap,         // the step is a gap of its gate (GateSpacing.h): readings are missing
};

// The step between consecutive readings in whole microseconds. Steps are compared as
// integers so the same data gives the same intervals and the same cuts everywhere.
int64_t StepMicroseconds(const FrequencySample& before, const FrequencySample& after);
