#pragma once

#include "analysis/NoiseIdentification.h"

#include <array>
#include <cstdint>

namespace analysis {

// The non-overlapping m-averages of a stream, one value at a time, summed as the
// noise identification needs them (NoiseEvidence) in constant memory. Values are
// taken in gap-free segments; Cut() ends one. Each segment's sums are centred on its
// own mean and then pooled, so no difference or product spans a cut. Centring on a
// segment's own n values lowers the lag-1 autocorrelation of white noise by 1/n, so
// the pooled one is raised by the difference between that of the segments and that
// of one run of all the values. The values may be the averages or the block sums:
// the evidence does not depend on the scale.
class AverageSeries {
public:
    void Add(long double value);
    void Cut();

    uint64_t Count() const { return series_[0].pooledCount + series_[0].n; }
    // lag1, b1 and averages; m is given, modifiedToAllan left for the caller.
    NoiseEvidence Evidence(size_t m) const;

private:
    // One series: the averages differenced d times.
    struct Series {
        uint64_t n = 0;  // values in the segment
        long double sum = 0.0L;
        long double squares = 0.0L;
        long double products = 0.0L;  // of neighbours
        long double first = 0.0L;
        long double last = 0.0L;
        uint64_t pooledCount = 0;  // of the segments before
        long double pooledSquares = 0.0L;
        long double pooledProducts = 0.0L;
        long double pooledRawSquares = 0.0L;
        double pooledFreedom = 0.0;  // sum of n - 1 over the segments before
        double pooledShrink = 0.0;   // sum of (n - 1) / n

        void Add(long double value);
        void Close();
        long double CentredSquares() const;
        long double CentredProducts() const;
        double Freedom() const;
        double Shrink() const;
    };

    std::array<Series, kMaxDifferences + 1> series_{};
};

}  // namespace analysis
