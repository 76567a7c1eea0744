#pragma once

#include "link/sinks/ReadingTap.h"
#include "stability/StabilityEngine.h"
#include "statistics/InductanceStats.h"
#include "statistics/MovingAverage.h"
#include "statistics/StatsView.h"
#include "statistics/TrendHistory.h"

#include <cstdint>
#include <deque>

// The statistics window's figures, fed one reading at a time in constant time and
// bounded memory. The level, spread, drift, gaps and deviations are the
// StabilityEngine's, the same that pelmora-log --analyse runs over a log; beside it
// live only what the engine has no notion of: the moving average, the L meter's
// figures and the trend's history.
class StatsFigures {
public:
    void Add(const TappedReading& reading);
    // Readings the window missed because the tap was full.
    void NoteDropped(uint64_t dropped) { dropped_ += dropped; }
    // Everything starts again, as when the window opens.
    void Reset();

    uint64_t Count() const { return engine_.Count(); }
    // The figures now, with the average over the last averageN readings and the trend
    // of the last trendMinutes (0: the whole run). A fraction of a millisecond.
    StatsView View(uint32_t averageN, int trendMinutes) const;
    // The quick figures of view brought up to now: count, last, mean, spread, drift,
    // average, the L meter's and the dropped readings; the rest stays as the last View
    // left it. A fraction of a microsecond.
    void Refresh(StatsView& view) const;

private:
    StabilityEngine engine_;
    MovingAverage average_;
    InductanceStats inductance_;
    TrendHistory trend_;
    std::deque<FrequencySample> undecided_;  // for the trend, until the engine decides their segment
    uint64_t dropped_ = 0;
};
