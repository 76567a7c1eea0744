#pragma once

#include <optional>

namespace analysis {

struct ConfidenceInterval {
    double lower;
    double upper;
};

// 68.3 %: the probability of a normal variable within one sigma, erf(1 / sqrt(2)).
inline constexpr double kOneSigmaProbability = 0.6826894921370859;

// The interval that holds the true deviation with the given probability when the
// estimated variance is chi-squared with edf degrees of freedom:
// deviation * sqrt(edf / chi2((1 + P) / 2)) ... deviation * sqrt(edf / chi2((1 - P) / 2)).
// None for a deviation that is not finite, edf <= 0 or P outside (0, 1).
std::optional<ConfidenceInterval> ChiSquaredInterval(double deviation, double edf,
                                                     double probability = kOneSigmaProbability);

}  // namespace analysis
