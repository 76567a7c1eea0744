#pragma once

#include <cstdint>
#include <optional>

// The spacing of the readings of one gate time, followed reading by reading in
// constant memory, and the gap rule that follows from it.
//
// tau0 is the readings' mean spacing over the gap-free stretches: the sum of their
// steps over their number. A burst (readings a USB adapter delivers together, 1 us
// apart, then tens of ms of silence) leaves that mean where it is, where a median or
// the shortest step would take the 1 us. A step is a gap when it is longer than
// 1.5 tau0 + 20 ms, the 20 ms being the adapter's delivery latency.
//
// Each step is judged as it comes, against the running mean. Until the steps taken
// cover a second none is a gap: a mean over the first burst alone would be about 1 us.
// After that the mean the judging uses counts each gap at the limit's length, so cuts
// made while the mean was too low (a backlog delivered at once) raise it until they
// stop, instead of starving it of the long steps between bursts. tau0 itself is the
// mean of the gap-free steps only.
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
