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

std::vector<TrendPoint> TrendTier::Points(double fromS) const
{
    std::vector<TrendPoint> points;
    points.reserve(buckets_.size());
    for (const Bucket& bucket : buckets_) {
        const TrendPoint point = bucket.Point();
        if (point.tS >= fromS)
            points.push_back(point);
    }
    return points;
}
