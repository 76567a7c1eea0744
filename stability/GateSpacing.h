#pragma once

#include <cstdint>
#include <optional>

// The spacing of the readings of one gate time, followed reading by reading in
// constant memory, and the gap rule that follows from it: tau0 and the gaps as
// stability/README.md (What the analysis computes) describes them.
class GateSpacing {
public:
    // Takes one reading of this gate. stepUs is its step from the reading before when
    // that one had the same gate in the same run (never negative), empty otherwise.
    // True when the step is a gap.
    bool Add(std::optional<int64_t> stepUs);

    uint64_t Readings() const { return readings_; }
    // The mean gap-free step in us; NaN before the first one.
    double Tau0Us() const;
    // The time the steps taken cover, gaps included, us.
    int64_t CoveredUs() const { return coveredUs_; }

private:
    double GapLimitUs() const;

    uint64_t readings_ = 0;
    int64_t spanUs_ = 0;  // the gap-free steps, summed
    uint64_t steps_ = 0;  // and counted
    int64_t coveredUs_ = 0;
    int64_t judgedUs_ = 0;  // every step, a gap counted at the limit's length
    uint64_t judged_ = 0;
};
