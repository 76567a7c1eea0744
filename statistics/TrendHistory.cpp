#include "statistics/TrendHistory.h"

#include <algorithm>
#include <iterator>

namespace {

// A little more than each sliding tier's reach (1, 10 and 60 minutes at 0.1, 1 and 6 s),
// so that the oldest bucket of its reach is always whole.
constexpr size_t kSlidingBuckets = 610;
constexpr size_t kWholeRunBuckets = 1024;
// Points of a trend: enough to follow it, few enough to read at a glance.
constexpr size_t kTrendPoints = 100;

}  // namespace

TrendHistory::TrendHistory()
    : tiers_{TrendTier(0.1, kSlidingBuckets, TrendTier::Mode::Sliding),
             TrendTier(1.0, kSlidingBuckets, TrendTier::Mode::Sliding),
             TrendTier(6.0, kSlidingBuckets, TrendTier::Mode::Sliding),
             TrendTier(1.0, kWholeRunBuckets, TrendTier::Mode::Doubling)}
{
}

void TrendHistory::Add(double tS, double hz, bool breakBefore)
{
    if (!empty_ && tS + shiftS_ < lastS_) {
        shiftS_ = lastS_ - tS;
        breakBefore = true;
    }
    lastS_ = tS + shiftS_;
    if (empty_)
        firstS_ = lastS_;
    empty_ = false;
    for (TrendTier& tier : tiers_)
        tier.Add(lastS_, hz, breakBefore);
}

void TrendHistory::Clear()
{
    for (TrendTier& tier : tiers_)
        tier.Clear();
    shiftS_ = 0.0;
    firstS_ = 0.0;
    lastS_ = 0.0;
    empty_ = true;
}

const TrendTier& TrendHistory::TierFor(double spanS) const
{
    constexpr double kReach[] = {60.0, 600.0, 3600.0};
    for (size_t k = 0; k < std::size(kReach); ++k)
        if (spanS <= kReach[k])
            return tiers_[k];
    return tiers_[3];
}

std::vector<TrendPoint> TrendHistory::Points(int minutes) const
{
    const double covered = lastS_ - firstS_;
    const bool span = minutes == 1 || minutes == 10 || minutes == 60;
    const double spanS = span ? std::min(minutes * 60.0, covered) : covered;
    return TierFor(spanS).Points(span ? lastS_ - minutes * 60.0 : -1e300, kTrendPoints);
}
