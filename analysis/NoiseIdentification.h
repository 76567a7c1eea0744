#pragma once

#include "analysis/NoiseType.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

namespace analysis {

// Below this many averages at tau the lag-1 autocorrelation gives way to the ratios.
inline constexpr size_t kAutocorrelationMinimumPoints = 30;
inline constexpr int kMaxDifferences = 2;

// What the identification looks at, at one averaging factor m: statistics of the
// non-overlapping m-averages z of y. The batch functions below take them from a span;
// a stream gathers the same sums reading by reading (AverageSeries.h).
struct NoiseEvidence {
    size_t m = 0;
    uint64_t averages = 0;
    // Averages per gap-free segment, in effect: sum (n - 1) / sum ((n - 1) / n) over
    // the segments' counts n; the averages themselves when uncut.
    double runAverages = std::numeric_limits<double>::quiet_NaN();
    // Lag-1 autocorrelation of z differenced d times, d = 0 .. kMaxDifferences; NaN
    // where fewer than 3 values remain.
    std::array<double, kMaxDifferences + 1> lag1{
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::quiet_NaN()};
    // Observed B1: the standard variance of z over half the mean squared difference.
    double b1 = std::numeric_limits<double>::quiet_NaN();
    // R(n): the modified over the overlapping Allan variance of y at m.
    double modifiedToAllan = std::numeric_limits<double>::quiet_NaN();
};

NoiseEvidence NoiseEvidenceOf(std::span<const double> y, size_t m);
std::optional<NoiseType> IdentifyNoise(const NoiseEvidence& evidence);
double Lag1AutocorrelationAlpha(const NoiseEvidence& evidence);
std::optional<NoiseType> NoiseByVarianceRatios(const NoiseEvidence& evidence);

// The dominant power-law noise at tau = m tau0 of N fractional frequencies y. While
// floor(N / m) >= 30 averages remain, by the lag-1 autocorrelation estimate of alpha:
// nearest type, except that averaging shifts the estimate of FFM (towards -1.45) and
// RWFM (towards -2.4) as m grows, so their boundary lies midway between the values
// each gives at this m; and the averages of white and flicker phase noise grow alike
// to the autocorrelation as m grows, so from m = 4 on R(n) below tells them apart. With fewer
// averages, by the B1 and R(n) ratios. From m = 4 on R(n) tells phase from frequency
// noise: phase noise that the autocorrelation finds stands only where R(n) agrees
// (where they disagree, the frequency noise, whose EDF is the smaller: the wider
// interval), and with fewer averages R(n) decides and B1 names the frequency noise.
// None when segments hold fewer than 4 averages each (their evidence says nothing),
// or the ratios cannot tell white from flicker phase noise (m = 1).
std::optional<NoiseType> IdentifyNoise(std::span<const double> y, size_t m);

// W. J. Riley and C. A. Greenhall, "Power law noise identification using the lag 1
// autocorrelation", 18th EFTF, 2004: the y averaged over m (the first difference of
// the phase taken every m samples) are differenced until the lag-1 autocorrelation
// r1 gives delta = r1 / (1 + r1) < 0.25, at most twice; alpha = -2 (delta + d) after
// d differences. Unrounded; NaN with fewer than 3 averages.
double Lag1AutocorrelationAlpha(std::span<const double> y, size_t m);

// The ratio B1 of the standard to the Allan variance of the averages (J. A. Barnes,
// "Tables of bias functions B1 and B2", NBS Technical Note 375, 1969) sorts RWFM, FFM,
// WFM and phase noise against its expected value for each; the ratio R(n) of the
// modified to the Allan variance (W. J. Riley, Handbook of Frequency Stability
// Analysis, NIST SP 1065, 2008), 1/m for WPM, about
// 3 ln(256/27) / (2 (1.038 + 3 ln(pi m))) for FPM and 1/2 or more for frequency noise,
// tells phase from frequency noise (from m = 4 on, where B1's few averages say less)
// and white from flicker phase noise. Each class boundary is the geometric mean of the
// neighbouring expected ratios.
std::optional<NoiseType> NoiseByVarianceRatios(std::span<const double> y, size_t m);

}  // namespace analysis
