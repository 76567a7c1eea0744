#include "statistics/TrendTier.h"

#include <algorithm>
#include <cmath>

void TrendTier::Bucket::Merge(const Bucket& other)
{
    count += other.count;
    sumT += other.sumT;
    sumHz += other.sumHz;
    breakBefore = breakBefore || other.breakBefore;
}

TrendPoint TrendTier::Bucket::Point() const
{
    const auto n = static_cast<long double>(count);
    return {static_cast<double>(sumT / n), static_cast<double>(sumHz / n), breakBefore};
}

TrendTier::TrendTier(double widthS, size_t maxBuckets, Mode mode)
    : firstWidthS_(widthS), widthS_(widthS), maxBuckets_(std::max<size_t>(maxBuckets, 2)), mode_(mode)
{
}

int64_t TrendTier::IndexOf(double tS) const
{
    return static_cast<int64_t>(std::floor(tS / widthS_));
}

void TrendTier::Add(double tS, double hz, bool breakBefore)
{
    Bucket reading{IndexOf(tS), 1, tS, hz, breakBefore};
    if (!buckets_.empty() && reading.index <= buckets_.back().index) {
        buckets_.back().Merge(reading);
        return;
    }
    if (buckets_.size() == maxBuckets_) {
        if (mode_ == Mode::Sliding) {
            buckets_.pop_front();
        } else {
            while (buckets_.size() == maxBuckets_)
                Coarsen();
            reading.index = IndexOf(tS);
            if (reading.index <= buckets_.back().index) {
                buckets_.back().Merge(reading);
                return;
            }
        }
    }
    buckets_.push_back(reading);
}

// Twice the width: each pair of neighbouring buckets becomes one.
void TrendTier::Coarsen()
{
    widthS_ *= 2.0;
    std::deque<Bucket> merged;
    for (Bucket bucket : buckets_) {
        bucket.index = IndexOf(static_cast<double>(bucket.sumT / bucket.count));
        if (!merged.empty() && merged.back().index >= bucket.index)
            merged.back().Merge(bucket);
        else
            merged.push_back(bucket);
    }
    buckets_.swap(merged);
}

void TrendTier::Clear()
{
    buckets_.clear();
    widthS_ = firstWidthS_;
}

std::vector<TrendPoint> TrendTier::Points(double fromS, size_t maxPoints) const
{
    const auto first = std::find_if(buckets_.begin(), buckets_.end(),
                                    [fromS](const Bucket& b) { return b.Point().tS >= fromS; });
    const auto count = static_cast<size_t>(buckets_.end() - first);
    // Groups aligned on whole multiples of the index, so that a point keeps its place as
    // time goes on; the alignment may cost one group more.
    const size_t groups = std::max<size_t>(maxPoints, 2) - 1;
    const auto group = static_cast<int64_t>((count + groups - 1) / groups);
    std::vector<Bucket> merged;
    for (auto bucket = first; bucket != buckets_.end(); ++bucket) {
        const int64_t key = group > 1 ? bucket->index / group : bucket->index;
        if (!merged.empty() && merged.back().index == key) {
            merged.back().Merge(*bucket);
        } else {
            merged.push_back(*bucket);
            merged.back().index = key;
        }
    }
    std::vector<TrendPoint> points;
    points.reserve(merged.size());
    for (const Bucket& bucket : merged)
        points.push_back(bucket.Point());
    return points;
}
