#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace analysis {

// One deviation at one averaging factor: NaN and no terms where the run is too short.
struct Deviation {
    double value = std::numeric_limits<double>::quiet_NaN();
    uint64_t terms = 0;
};

// The frequency stability of one gap-free run, computed on its phase. From N
// fractional frequencies y[i], each the average over tau0, the phase is
// x[k] = tau0 (y[0] + ... + y[k-1]), k = 0..N, so that x[k+m] - x[k] = tau y over
// tau = m tau0. Every deviation is a sum of squared finite differences of x, or of
// its running sum for the modified and time deviations, and costs O(N) for any m.
//
// The common mean of y is taken out first (in long double): it adds a straight line
// to x that every difference used here removes, and without it a large offset
// (10 MHz in Hz) would eat the significant digits.
class PhaseDeviations {
public:
    PhaseDeviations(std::span<const double> fractionalFrequency, double tau0);

    // Phase points N + 1 (0 without data).
    size_t PhasePoints() const { return phase_.size(); }
    double Tau0() const { return tau0_; }

    // Overlapping Allan: N + 1 - 2m terms.
    Deviation OverlappingAllan(size_t m) const;
    // Allan from adjacent intervals: floor(N / m) - 1 terms.
    Deviation Allan(size_t m) const;
    // Modified Allan: N + 2 - 3m terms, each the second difference of m-sample phase averages.
    Deviation ModifiedAllan(size_t m) const;
    // Overlapping Hadamard (third differences, blind to a linear frequency drift): N + 1 - 3m terms.
    Deviation OverlappingHadamard(size_t m) const;
    // Hadamard from adjacent intervals: floor(N / m) - 2 terms.
    Deviation Hadamard(size_t m) const;
    // Time deviation in seconds, tau / sqrt(3) times the modified Allan deviation.
    Deviation Time(size_t m) const;

private:
    // The order-th differences at lag m of series[0], series[stride], ..., squared and
    // summed, divided by scale * tau^2 * terms and square-rooted.
    Deviation FromDifferences(const std::vector<long double>& series, int order, size_t m,
                              size_t stride, double scale) const;

    double tau0_;
    std::vector<long double> phase_;         // x[k], seconds
    std::vector<long double> phaseRunning_;  // sum of x[i] for i < k, k = 0..N+1
};

}  // namespace analysis
