#pragma once

#include "stability/FrequencySample.h"
#include "stability/GateSpacing.h"

#include <cstdint>
#include <map>
#include <optional>

// Cuts a stream of readings into gap-free segments, one reading at a time, in memory
// that grows only with the number of gate times seen; where it cuts:
// stability/README.md (What the analysis computes).
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
