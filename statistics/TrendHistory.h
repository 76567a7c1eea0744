#pragma once

#include "statistics/TrendTier.h"

#include <array>
#include <vector>

// The readings against time for the trend plot, in bounded memory: the last minute at
// 0.1 s, the last 10 minutes at 1 s, the last hour at 6 s and the whole run in at most
// 1024 points whose width doubles as the run grows. Time never runs backwards here: a
// restart of the stamps continues where the last reading stood, with a break.
class TrendHistory {
public:
    static constexpr int kWholeRun = 0;

    TrendHistory();

    void Add(double tS, double hz, bool breakBefore);
    void Clear();
    // The points of the last minutes (1, 10 or 60; anything else: the whole run), from
    // the finest tier that holds all of them, at most 100.
    std::vector<TrendPoint> Points(int minutes) const;

private:
    const TrendTier& TierFor(double spanS) const;

    std::array<TrendTier, 4> tiers_;  // 1 min, 10 min, 60 min, whole run
    double shiftS_ = 0.0;             // added to the stamps after restarts
    double firstS_ = 0.0;             // of the first reading
    double lastS_ = 0.0;              // of the last reading, shifted
    bool empty_ = true;
};
