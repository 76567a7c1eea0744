#pragma once

#include "stability/StabilitySummary.h"
#include "statistics/InductanceStats.h"
#include "statistics/MovingAverage.h"
#include "statistics/TrendTier.h"

#include <cstdint>
#include <vector>

// Everything the statistics window shows and copies at one moment, as plain values:
// held, it stays as it was while the figures go on counting.
struct StatsView {
    StabilitySummary summary;  // count, level, spread, drift, span, gaps and the deviations
    MovingAverage::Value average;
    uint32_t averageN = 0;  // the length asked for
    InductanceFigures inductance;
    std::vector<TrendPoint> trend;
    int trendMinutes = 0;    // the span of trend: 1, 10, 60, or 0 for the whole run
    uint64_t dropped = 0;    // readings the window did not take in time
};
