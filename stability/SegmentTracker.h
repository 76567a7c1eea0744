#pragma once

#include "stability/FrequencySample.h"
#include "stability/GateSpacing.h"

#include <cstdint>
#include <map>
#include <optional>

// Cuts a stream of readings into gap-free segments, one reading at a time, in memory
// that grows only with the number of gate times seen. A segment ends where t_s goes
// backwards (a restart: a new run appended to the file; a step of 0, as between the
// readings of one read() in files with millisecond stamps, is none), where the gate
// time changes, and where a step is a gap of its gate (GateSpacing.h). Each gate time
// has its own tau0; the step across a gate change or a restart belongs to no gate.
class SegmentTracker {
public:
    using Gates = std::map<std::optional<uint32_t>, GateSpacing>;  // unknown first

    // Why a segment starts at this reading; None when it continues the one before.
    SegmentBreak Add(const FrequencySample& sample);

    const Gates& ByGate() const { return gates_; }
    // The gate with the most readings (the first of equals); end() before any reading.
    Gates::const_iterator MainGate() const;

private:
    std::optional<FrequencySample> last_;
    Gates gates_;
};
