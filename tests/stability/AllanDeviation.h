#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Squared, normalised second differences of one averaging factor m, summed. Sums of
// several gap-free segments add up (pooling: squares and term counts both added)
// before the deviation is taken, so no difference ever spans a gap.
struct DeviationSums {
    double sumSquares = 0.0;
    uint64_t terms = 0;

    DeviationSums& operator+=(const DeviationSums& other);
    // sqrt(sumSquares / (2 terms)); NaN without terms.
    double Deviation() const;
};

// The Allan deviations of one gap-free run of N samples y[0..N-1] taken tau0 apart,
// each the average over its tau0. The samples may be fractional frequencies or
// frequencies in Hz: every deviation scales with the samples, and an offset common to
// all of them drops out. Values near 10 MHz with sub-hertz variation are fine: the
// samples are taken as offsets from their mean (computed in long double) before their
// running sums are formed, so no significant digit is lost to the large common part.
//
// The constructor forms the running sums once, O(N). Each deviation then costs O(N)
// for one averaging factor m (tau = m tau0), whatever m is: the overlapping Allan
// deviation from differences of the running sums, the modified one from a window of m
// such differences that slides by one sample per step.
class AllanDeviation {
public:
    explicit AllanDeviation(std::span<const double> y);

    size_t Size() const { return sums_.empty() ? 0 : sums_.size() - 1; }

    // Overlapping Allan: N-2m+1 terms (the mean of y over the next m samples minus the
    // mean over these m), none when N < 2m.
    DeviationSums Overlapping(size_t m) const;
    // Modified Allan: N-3m+2 terms (the mean of m overlapping such differences, taken
    // over m phase averages), none when N < 3m-1.
    DeviationSums Modified(size_t m) const;
    // Non-overlapping Allan: floor(N/m)-1 terms from adjacent blocks of m samples.
    DeviationSums NonOverlapping(size_t m) const;

private:
    double BlockSum(size_t first, size_t m) const { return sums_[first + m] - sums_[first]; }

    std::vector<double> sums_;  // sums_[k]: sum of (y[i] - mean) for i < k
};
