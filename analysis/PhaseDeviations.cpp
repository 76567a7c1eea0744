#include "analysis/PhaseDeviations.h"

#include <cmath>
#include <numeric>

namespace analysis {

namespace {

// Binomial weights of a finite difference of order 2 or 3, signs alternating.
constexpr long double kSecondDifference[] = {1, -2, 1};
constexpr long double kThirdDifference[] = {1, -3, 3, -1};

}  // namespace

PhaseDeviations::PhaseDeviations(std::span<const double> fractionalFrequency, double tau0)
    : tau0_(tau0)
{
    if (fractionalFrequency.empty())
        return;
    const long double mean = std::accumulate(fractionalFrequency.begin(), fractionalFrequency.end(), 0.0L)
                             / static_cast<long double>(fractionalFrequency.size());
    phase_.reserve(fractionalFrequency.size() + 1);
    phase_.push_back(0.0L);
    for (const double y : fractionalFrequency)
        phase_.push_back(phase_.back() + (y - mean) * tau0);
    phaseRunning_.reserve(phase_.size() + 1);
    phaseRunning_.push_back(0.0L);
    for (const long double x : phase_)
        phaseRunning_.push_back(phaseRunning_.back() + x);
}

Deviation PhaseDeviations::FromDifferences(const std::vector<long double>& series, int order,
                                           size_t m, size_t stride, double scale) const
{
    const size_t span = static_cast<size_t>(order) * m;
    if (m == 0 || series.size() <= span)
        return {};
    const long double* weights = order == 2 ? kSecondDifference : kThirdDifference;
    long double squares = 0.0L;
    uint64_t terms = 0;
    for (size_t i = 0; i + span < series.size(); i += stride, ++terms) {
        long double difference = 0.0L;
        for (int k = 0; k <= order; ++k)
            difference += weights[k] * series[i + span - static_cast<size_t>(k) * m];
        squares += difference * difference;
    }
    const long double tau = static_cast<long double>(m) * tau0_;
    return {static_cast<double>(std::sqrt(squares / (scale * tau * tau * terms))), terms};
}

Deviation PhaseDeviations::OverlappingAllan(size_t m) const
{
    return FromDifferences(phase_, 2, m, 1, 2.0);
}

Deviation PhaseDeviations::Allan(size_t m) const
{
    return FromDifferences(phase_, 2, m, m, 2.0);
}

// The sum of m second differences starting at j is a third difference of the
// running phase sum: S(j+3m) - 3 S(j+2m) + 3 S(j+m) - S(j).
Deviation PhaseDeviations::ModifiedAllan(size_t m) const
{
    const double mm = static_cast<double>(m);
    return FromDifferences(phaseRunning_, 3, m, 1, 2.0 * mm * mm);
}

Deviation PhaseDeviations::OverlappingHadamard(size_t m) const
{
    return FromDifferences(phase_, 3, m, 1, 6.0);
}

Deviation PhaseDeviations::Hadamard(size_t m) const
{
    return FromDifferences(phase_, 3, m, m, 6.0);
}

Deviation PhaseDeviations::Time(size_t m) const
{
    Deviation time = ModifiedAllan(m);
    time.value *= static_cast<double>(m) * tau0_ / std::sqrt(3.0);
    return time;
}

}  // namespace analysis
