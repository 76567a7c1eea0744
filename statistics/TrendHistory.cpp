#include "statistics/TrendHistory.h"

namespace {

constexpr size_t kSlidingBuckets = 600;
constexpr size_t kWholeRunBuckets = 1024;

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
    empty_ = false;
    for (TrendTier& tier : tiers_)
        tier.Add(lastS_, hz, breakBefore);
}

void TrendHistory::Clear()
{
    for (TrendTier& tier : tiers_)
        tier.Clear();
    shiftS_ = 0.0;
    lastS_ = 0.0;
    empty_ = true;
}

const TrendTier& TrendHistory::TierFor(int minutes) const
{
    switch (minutes) {
    case 1:
        return tiers_[0];
    case 10:
        return tiers_[1];
    case 60:
        return tiers_[2];
    default:
        return tiers_[3];
    }
}

std::vector<TrendPoint> TrendHistory::Points(int minutes) const
{
    const bool whole = &TierFor(minutes) == &tiers_[3];
    return TierFor(minutes).Points(whole ? -1e300 : lastS_ - minutes * 60.0);
}
