#pragma once

#include "analysis/NoiseType.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace analysis {

// How a variance estimator filters the phase, in the terms of Greenhall and Riley
// (2003): the order d of its phase difference (2 Allan, 3 Hadamard), whether it first
// averages the phase over m samples (modified: filter factor F = 1; otherwise F = m),
// and whether successive terms overlap (stride factor S = m) or sit side by side (S = 1).
struct VarianceEstimator {
    int d;
    bool modified;
    bool overlapping;
};

inline constexpr VarianceEstimator kOverlappingAllan{2, false, true};
inline constexpr VarianceEstimator kModifiedAllan{2, true, true};
inline constexpr VarianceEstimator kOverlappingHadamard{3, false, true};

// The terms the estimator forms at averaging factor m over phasePoints phase samples:
// overlapping, phasePoints - (m d + m / F) + 1; side by side, one every m. 0 when none.
uint64_t TermCount(VarianceEstimator estimator, size_t m, size_t phasePoints);

// The equivalent degrees of freedom of the estimator's variance at averaging factor m
// over phasePoints phase samples (N frequency readings make N + 1), for the noise type,
// by the algorithm of C. A. Greenhall and W. J. Riley, "Uncertainty of stability
// variances based on finite differences", 35th PTTI Meeting, 2003. None where the run
// holds no term at m. The time deviation has the modified Allan's.
std::optional<double> EquivalentDegreesOfFreedom(NoiseType noise, VarianceEstimator estimator,
                                                 size_t m, size_t phasePoints);

}  // namespace analysis
