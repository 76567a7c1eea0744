#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// One point of the trend: the readings of one time bucket.
struct TrendPoint {
    double tS = 0.0;  // the mean time of its readings
    double meanHz = 0.0;
    bool breakBefore = false;  // a gap or a restart lies before it: no line from the one before
};

// Readings summed into buckets of equal width in time, at most maxBuckets of them.
// Sliding: the oldest bucket goes when a new one would exceed the limit, so the tier
// holds the last maxBuckets widths. Doubling: neighbouring buckets are merged and the
// width doubles instead, so the tier holds the whole run ever more coarsely.
class TrendTier {
public:
    enum class Mode { Sliding, Doubling };

    TrendTier(double widthS, size_t maxBuckets, Mode mode);

    // tS never decreases from one call to the next.
    void Add(double tS, double hz, bool breakBefore);
    void Clear();
    // The points whose time is fromS or later, oldest first; neighbouring buckets are
    // merged (in groups of whole multiples of the width) until at most maxPoints remain.
    std::vector<TrendPoint> Points(double fromS, size_t maxPoints) const;
    size_t Size() const { return buckets_.size(); }

private:
    struct Bucket {
        int64_t index = 0;  // tS / width, rounded down
        uint64_t count = 0;
        long double sumT = 0.0L;
        long double sumHz = 0.0L;
        bool breakBefore = false;

        void Merge(const Bucket& other);
        TrendPoint Point() const;
    };

    int64_t IndexOf(double tS) const;
    void Coarsen();

    const double firstWidthS_;
    double widthS_;
    const size_t maxBuckets_;
    const Mode mode_;
    std::deque<Bucket> buckets_;
};
