#include "analysis/NoiseIdentification.h"

#include "analysis/PhaseDeviations.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <vector>

namespace analysis {

namespace {

constexpr size_t kRatioMinimumPoints = 4;
// From this averaging factor on, R(n) separates white from flicker phase noise better
// than the autocorrelation of the averages does.
constexpr size_t kPhaseRatioAveraging = 4;
// Beyond this averaging factor the expected estimates below move by about 1e-3 at most.
constexpr size_t kSettledAveraging = 64;
// R(n) of white frequency noise; flicker and random-walk frequency noise give more.
constexpr double kWhiteFrequencyRatio = 0.5;

std::vector<double> BlockAverages(std::span<const double> y, size_t m)
{
    std::vector<double> averages(m == 0 ? 0 : y.size() / m);
    for (size_t k = 0; k < averages.size(); ++k) {
        const auto block = y.subspan(k * m, m);
        averages[k] = std::accumulate(block.begin(), block.end(), 0.0L) / static_cast<long double>(m);
    }
    return averages;
}

double Mean(const std::vector<double>& z)
{
    return static_cast<double>(std::accumulate(z.begin(), z.end(), 0.0L) / static_cast<long double>(z.size()));
}

double Lag1Autocorrelation(const std::vector<double>& z)
{
    if (z.size() < 3)
        return std::numeric_limits<double>::quiet_NaN();
    const double mean = Mean(z);
    long double products = 0.0L;
    long double squares = 0.0L;
    for (size_t i = 0; i < z.size(); ++i) {
        squares += (z[i] - mean) * (z[i] - mean);
        if (i + 1 < z.size())
            products += (z[i] - mean) * (z[i + 1] - mean);
    }
    return static_cast<double>(products / squares);
}

void Difference(std::vector<double>& z)
{
    for (size_t i = 0; i + 1 < z.size(); ++i)
        z[i] = z[i + 1] - z[i];
    z.pop_back();
}

// Expected B1 of n averages for an Allan variance going as tau^mu: mu = 1 RWFM,
// 0 FFM, -1 WFM, -2 phase noise.
double ExpectedB1(double n, int mu)
{
    if (mu == 0)
        return n * std::log(n) / (2 * (n - 1) * std::numbers::ln2);
    return n * (1 - std::pow(n, mu)) / (2 * (n - 1) * (1 - std::pow(2.0, mu)));
}

double ObservedB1(const std::vector<double>& z)
{
    const double mean = Mean(z);
    long double deviations = 0.0L;
    long double differences = 0.0L;
    for (size_t i = 0; i < z.size(); ++i) {
        deviations += (z[i] - mean) * (z[i] - mean);
        if (i + 1 < z.size())
            differences += (z[i + 1] - z[i]) * (z[i + 1] - z[i]);
    }
    return static_cast<double>(deviations / differences * 2);  // (n-1) cancels
}

double ExpectedFlickerPhaseRatio(double m)
{
    return 3 * std::log(256.0 / 27.0) / (2 * (1.038 + 3 * std::log(std::numbers::pi * m)));
}

// Whether R(n) says frequency rather than phase noise; none where it cannot tell.
std::optional<bool> FrequencyNoiseByRatio(const NoiseEvidence& evidence)
{
    if (evidence.m < kPhaseRatioAveraging || std::isnan(evidence.modifiedToAllan))
        return std::nullopt;
    const double boundary =
        std::sqrt(ExpectedFlickerPhaseRatio(static_cast<double>(evidence.m)) * kWhiteFrequencyRatio);
    return evidence.modifiedToAllan > boundary;
}

// RWFM, FFM or WFM as B1 sorts them; none where it says phase noise.
std::optional<NoiseType> FrequencyNoiseByB1(const NoiseEvidence& evidence)
{
    const double n = evidence.runAverages;
    for (int mu = 1; mu > -2; --mu) {
        if (evidence.b1 > std::sqrt(ExpectedB1(n, mu) * ExpectedB1(n, mu - 1)))
            return static_cast<NoiseType>(-mu - 1);
    }
    return std::nullopt;
}

std::optional<NoiseType> PhaseNoiseByRatio(const NoiseEvidence& evidence)
{
    if (evidence.m < 2 || std::isnan(evidence.modifiedToAllan))
        return std::nullopt;
    const double md = static_cast<double>(evidence.m);
    const double boundary = std::sqrt(ExpectedFlickerPhaseRatio(md) / md);
    return evidence.modifiedToAllan > boundary ? NoiseType::FlickerPhase : NoiseType::WhitePhase;
}

std::optional<NoiseType> PhaseNoiseUnlessRatioDisagrees(const NoiseEvidence& evidence)
{
    if (FrequencyNoiseByRatio(evidence).value_or(false))
        return FrequencyNoiseByB1(evidence).value_or(NoiseType::WhiteFrequency);
    return PhaseNoiseByRatio(evidence);
}

// The lag-1 estimate of alpha that y ~ f^(-2 dy) gives at m after one difference, as
// for FFM (dy = 1/2) and RWFM (dy = 1). Differences of m-averages are triangular sums
// (weights 1, 2, ..., m, ..., 1) of u[i] = y[i+1] - y[i], fractionally integrated
// noise whose lag-k autocorrelation is r(k) = r(k-1) (k - 2 + dy) / (k + 1 - dy).
double ExpectedDifferencedAlpha(double dy, size_t m)
{
    m = std::min(m, kSettledAveraging);
    const size_t width = 2 * m - 1;
    std::vector<double> r(width + m, 1.0);
    for (size_t k = 1; k < r.size(); ++k)
        r[k] = r[k - 1] * (static_cast<double>(k) - 2 + dy) / (static_cast<double>(k) + 1 - dy);
    const auto weight = [m](size_t l) { return static_cast<double>(std::min(l + 1, 2 * m - 1 - l)); };
    double same = 0;
    double next = 0;
    for (size_t i = 0; i < width; ++i) {
        for (size_t j = 0; j < width; ++j) {
            same += weight(i) * weight(j) * r[i > j ? i - j : j - i];
            next += weight(i) * weight(j) * r[m + j > i ? m + j - i : i - m - j];
        }
    }
    const double r1 = next / same;
    return -2 * (r1 / (1 + r1) + 1);
}

// The FFM/RWFM boundary midway between the two expected estimates, worked out once
// for every averaging factor up to the settled one.
double WalkBoundary(size_t m)
{
    static const std::vector<double> boundaries = [] {
        std::vector<double> table(kSettledAveraging + 1);
        for (size_t k = 1; k <= kSettledAveraging; ++k)
            table[k] = (ExpectedDifferencedAlpha(0.5, k) + ExpectedDifferencedAlpha(1.0, k)) / 2;
        return table;
    }();
    return boundaries[std::clamp<size_t>(m, 1, kSettledAveraging)];
}

std::optional<NoiseType> ByAutocorrelation(const NoiseEvidence& evidence)
{
    const double alpha = Lag1AutocorrelationAlpha(evidence);
    const size_t m = evidence.m;
    if (std::isnan(alpha))
        return std::nullopt;
    if (alpha >= 0.5)
        return m >= kPhaseRatioAveraging ? PhaseNoiseUnlessRatioDisagrees(evidence) : NearestNoiseType(alpha);
    if (alpha >= -0.5)
        return NoiseType::WhiteFrequency;
    const double walkBoundary = WalkBoundary(m);
    return alpha >= walkBoundary ? NoiseType::FlickerFrequency : NoiseType::RandomWalkFrequency;
}

}  // namespace

NoiseEvidence NoiseEvidenceOf(std::span<const double> y, size_t m)
{
    NoiseEvidence evidence;
    evidence.m = m;
    std::vector<double> z = BlockAverages(y, m);
    evidence.averages = z.size();
    evidence.runAverages = static_cast<double>(z.size());
    if (z.size() >= 2)
        evidence.b1 = ObservedB1(z);
    for (size_t d = 0; d <= kMaxDifferences && !z.empty(); ++d) {
        evidence.lag1[d] = Lag1Autocorrelation(z);
        Difference(z);
    }
    if (m >= 2) {
        const PhaseDeviations deviations(y, 1.0);
        const double allan = deviations.OverlappingAllan(m).value;
        const double modified = deviations.ModifiedAllan(m).value;
        evidence.modifiedToAllan = modified * modified / (allan * allan);
    }
    return evidence;
}

double Lag1AutocorrelationAlpha(const NoiseEvidence& evidence)
{
    for (size_t d = 0; d <= kMaxDifferences && !std::isnan(evidence.lag1[d]); ++d) {
        const double r1 = evidence.lag1[d];
        const double delta = r1 / (1 + r1);
        if (delta < 0.25 || d == kMaxDifferences)
            return -2 * (delta + static_cast<double>(d));
    }
    return std::numeric_limits<double>::quiet_NaN();
}

std::optional<NoiseType> NoiseByVarianceRatios(const NoiseEvidence& evidence)
{
    if (!(evidence.runAverages >= kRatioMinimumPoints) || std::isnan(evidence.b1))
        return std::nullopt;
    const auto frequency = FrequencyNoiseByB1(evidence);
    // R(n) outweighs the B1 of a few averages where it can tell at all.
    if (FrequencyNoiseByRatio(evidence).value_or(frequency.has_value()))
        return frequency.value_or(NoiseType::WhiteFrequency);
    return PhaseNoiseByRatio(evidence);
}

std::optional<NoiseType> IdentifyNoise(const NoiseEvidence& evidence)
{
    if (evidence.m == 0 || !(evidence.runAverages >= kRatioMinimumPoints))
        return std::nullopt;
    if (evidence.averages >= kAutocorrelationMinimumPoints)
        return ByAutocorrelation(evidence);
    return NoiseByVarianceRatios(evidence);
}

double Lag1AutocorrelationAlpha(std::span<const double> y, size_t m)
{
    return Lag1AutocorrelationAlpha(NoiseEvidenceOf(y, m));
}

std::optional<NoiseType> NoiseByVarianceRatios(std::span<const double> y, size_t m)
{
    return NoiseByVarianceRatios(NoiseEvidenceOf(y, m));
}

std::optional<NoiseType> IdentifyNoise(std::span<const double> y, size_t m)
{
    return IdentifyNoise(NoiseEvidenceOf(y, m));
}

}  // namespace analysis
