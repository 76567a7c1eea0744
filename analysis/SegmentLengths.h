#pragma once

#include "analysis/EquivalentDegreesOfFreedom.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

namespace analysis {

// The lengths of the gap-free segments a variance is pooled over, counted in bounded
// memory: exactly up to kExactLengths readings, above in bins a sixteenth of an octave
// wide that keep the number of segments and the sum of their lengths (so at most
// about a thousand bins, whatever the run). The equivalent degrees of freedom of the
// pooled variance follow from them once the noise type is known.
class SegmentLengths {
public:
    static constexpr uint64_t kExactLengths = 64;

    void Add(uint64_t readings);

    // The EDF of the variance pooled over the segments that hold a term at m: each
    // segment's Greenhall-Riley EDF, combined by Satterthwaite's rule,
    // (sum of terms)^2 / sum of terms^2 / edf. stride > 1: the terms are taken every
    // stride readings, as on the segments' stride-sums. None without a term.
    std::optional<double> DegreesOfFreedom(NoiseType noise, VarianceEstimator estimator,
                                           uint64_t m, uint64_t stride) const;
    // The bins in use: the memory it takes.
    size_t Bins() const { return bins_.size(); }

private:
    struct Bin {
        uint64_t segments = 0;
        uint64_t readings = 0;
    };

    // Segments taken together: their terms and the sum of terms^2 / edf.
    struct Pool {
        uint64_t segments = 0;
        long double terms = 0.0L;
        long double weighted = 0.0L;

        void Add(uint64_t count, uint64_t termsEach, long double edf);
    };

    static uint32_t BinOf(uint64_t readings);
    static std::optional<long double> LinearWeight(NoiseType noise, VarianceEstimator estimator,
                                                   uint64_t m, long double meanTerms);
    // The phase points a segment holds beyond its overlapping terms.
    static uint64_t TermSpan(VarianceEstimator estimator, uint64_t m);

    std::map<uint32_t, Bin> bins_;
};

}  // namespace analysis
