#include "stability/StabilityAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t kReadings = 1'000'000;

// 10 MHz with a slow wave of 0.3 Hz, a drift of 1 Hz over the run and noise of about
// 0.03 Hz: sub-hertz variation on a large value, one reading a second.
std::vector<FrequencySample> MillionReadings()
{
    std::vector<FrequencySample> samples(kReadings);
    uint64_t state = 0x9E3779B97F4A7C15u;
    auto uniform = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) * 0x1.0p-53;
    };
    for (size_t i = 0; i < kReadings; ++i) {
        const double noise = (uniform() + uniform() + uniform() - 1.5) * 0.06;
        const double t = static_cast<double>(i);
        samples[i] = {t, 1e7 + 0.3 * std::sin(t * 1.2566e-4) + 1e-6 * t + noise, 1000};
    }
    return samples;
}

struct Reference {
    long double mean = 0, stddev = 0, drift = 0;
    std::vector<long double> adev, mdev;  // in Hz, at m = 1, 2, 4, ...
};

// Sums of (f - mean) in long double: S[k] over the first k readings.
std::vector<long double> CenteredSums(const std::vector<FrequencySample>& f, long double mean)
{
    std::vector<long double> sums(f.size() + 1, 0.0L);
    for (size_t i = 0; i < f.size(); ++i)
        sums[i + 1] = sums[i] + (f[i].frequencyHz - mean);
    return sums;
}

// Overlapping Allan straight from its definition on block sums.
long double ReferenceAdev(const std::vector<long double>& s, size_t m)
{
    const size_t n = s.size() - 1, terms = n - 2 * m + 1;
    long double squares = 0;
    for (size_t j = 0; j < terms; ++j) {
        const long double d = (s[j + 2 * m] - s[j + m]) - (s[j + m] - s[j]);
        squares += d * d;
    }
    return std::sqrt(squares / (2.0L * terms * m * m));
}

// Modified Allan by another route than the library's: running sums P of the block
// differences C(i), each term a difference of two P.
long double ReferenceMdev(const std::vector<long double>& s, size_t m, std::vector<long double>& p)
{
    const size_t n = s.size() - 1, terms = n - 3 * m + 2;
    p.assign(n - 2 * m + 2, 0.0L);
    for (size_t i = 0; i + 1 < p.size(); ++i)
        p[i + 1] = p[i] + (s[i + 2 * m] - s[i + m]) - (s[i + m] - s[i]);
    long double squares = 0;
    for (size_t j = 0; j < terms; ++j) {
        const long double d = p[j + m] - p[j];
        squares += d * d;
    }
    return std::sqrt(squares / (2.0L * terms * m * m * m * m));
}

Reference ReferenceOf(const std::vector<FrequencySample>& f)
{
    Reference r;
    for (const FrequencySample& x : f)
        r.mean += x.frequencyHz;
    r.mean /= f.size();
    long double squares = 0, tMean = (f.size() - 1) / 2.0L, tt = 0, tf = 0;
    for (const FrequencySample& x : f) {
        squares += (x.frequencyHz - r.mean) * (x.frequencyHz - r.mean);
        tt += (x.tS - tMean) * (x.tS - tMean);
        tf += (x.tS - tMean) * (x.frequencyHz - r.mean);
    }
    r.stddev = std::sqrt(squares / (f.size() - 1));
    r.drift = tf / tt;
    const std::vector<long double> sums = CenteredSums(f, r.mean);
    std::vector<long double> work;
    for (size_t m = 1; 4 * m <= f.size() - 1; m *= 2) {
        r.adev.push_back(ReferenceAdev(sums, m));
        r.mdev.push_back(ReferenceMdev(sums, m, work));
    }
    return r;
}

double RelativeError(double got, long double want)
{
    return static_cast<double>(std::fabs((got - want) / want));
}

// Every figure against a two-pass long double computation, to these relative
// tolerances (the errors seen are at least 50 times smaller):
//   mean 1e-15, standard deviation 1e-13, drift 1e-12,
//   ADEV and MDEV (fractional and Hz, the 17 exact taus) 1e-11; the 18th, above the
//   exact range, within its interval.
TEST(MillionReadings, EveryFigureMatchesLongDouble)
{
    const std::vector<FrequencySample> samples = MillionReadings();
    const StabilitySummary s = AnalyseSamples(samples);
    const Reference r = ReferenceOf(samples);
    EXPECT_EQ(s.count, kReadings);
    EXPECT_EQ(s.segments, 1u);
    EXPECT_EQ(s.tau0S, 1.0);
    EXPECT_LE(RelativeError(s.meanHz, r.mean), 1e-15);
    EXPECT_LE(RelativeError(s.stddevHz, r.stddev), 1e-13);
    EXPECT_LE(RelativeError(s.driftHzPerS, r.drift), 1e-12);
    const auto [low, high] =
        std::minmax_element(samples.begin(), samples.end(), [](const auto& a, const auto& b) {
            return a.frequencyHz < b.frequencyHz;
        });
    EXPECT_EQ(s.minHz, low->frequencyHz);
    EXPECT_EQ(s.maxHz, high->frequencyHz);
    ASSERT_EQ(s.adev.size(), 18u);
    ASSERT_EQ(r.adev.size(), 18u);
    ASSERT_EQ(s.mdev.size(), r.mdev.size());
    double worstAdev = 0, worstMdev = 0;
    for (size_t k = 0; k < r.adev.size(); ++k) {
        if (s.adev[k].stride > 1) {  // above the exact range: within the interval
            EXPECT_GE(r.adev[k] / r.mean, s.adev[k].lower) << k;
            EXPECT_LE(r.adev[k] / r.mean, s.adev[k].upper) << k;
            continue;
        }
        worstAdev = std::max({worstAdev, RelativeError(s.adev[k].hz, r.adev[k]),
                              RelativeError(s.adev[k].fractional, r.adev[k] / r.mean)});
        worstMdev = std::max({worstMdev, RelativeError(s.mdev[k].hz, r.mdev[k]),
                              RelativeError(s.mdev[k].fractional, r.mdev[k] / r.mean)});
    }
    EXPECT_LE(worstAdev, 1e-11);
    EXPECT_LE(worstMdev, 1e-11);
    std::printf("relative errors: mean %.1e stddev %.1e drift %.1e adev %.1e mdev %.1e\n",
                RelativeError(s.meanHz, r.mean), RelativeError(s.stddevHz, r.stddev),
                RelativeError(s.driftHzPerS, r.drift), worstAdev, worstMdev);
}

}  // namespace
