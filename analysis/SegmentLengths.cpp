#include "analysis/SegmentLengths.h"

#include <bit>
#include <cmath>
#include <limits>

namespace analysis {

namespace {

constexpr int kBinsPerOctaveShift = 4;
constexpr int kFirstBinnedOctave = std::bit_width(SegmentLengths::kExactLengths) - 1;

uint64_t Rounded(uint64_t sum, uint64_t count)
{
    return static_cast<uint64_t>(std::llround(static_cast<long double>(sum) / static_cast<long double>(count)));
}

}  // namespace

void SegmentLengths::Pool::Add(uint64_t count, uint64_t termsEach, long double edf)
{
    const long double c = static_cast<long double>(count);
    const long double t = static_cast<long double>(termsEach);
    segments += count;
    terms += c * t;
    if (edf > 0.0L)
        weighted += c * t * t / edf;
}

uint32_t SegmentLengths::BinOf(uint64_t readings)
{
    if (readings < kExactLengths)
        return static_cast<uint32_t>(readings);
    const int octave = std::bit_width(readings) - 1;
    const uint64_t within = (readings >> (octave - kBinsPerOctaveShift)) & ((1u << kBinsPerOctaveShift) - 1);
    return static_cast<uint32_t>(kExactLengths + (uint64_t(octave - kFirstBinnedOctave) << kBinsPerOctaveShift) +
                                 within);
}

void SegmentLengths::Add(uint64_t readings)
{
    if (readings == 0)
        return;
    Bin& bin = bins_[BinOf(readings)];
    ++bin.segments;
    bin.readings += readings;
}

// Overlapping terms reaching (d + 1) m lie where the EDF's formulas make terms^2 / edf
// linear in the terms, so all such segments together are worked out once, at their mean.
std::optional<double> SegmentLengths::DegreesOfFreedom(NoiseType noise, VarianceEstimator estimator,
                                                       uint64_t m, uint64_t stride) const
{
    const uint64_t averaged = m / stride;
    const uint64_t linearFrom = estimator.overlapping ? static_cast<uint64_t>(estimator.d + 1) * averaged
                                                      : std::numeric_limits<uint64_t>::max();
    Pool all;
    Pool linear;
    for (const auto& [index, bin] : bins_) {
        const size_t points = Rounded(bin.readings, bin.segments) / stride + 1;
        const uint64_t terms = TermCount(estimator, averaged, points);
        if (terms >= linearFrom)
            linear.Add(bin.segments, terms, 0.0L);
        else if (const auto edf = EquivalentDegreesOfFreedom(noise, estimator, averaged, points))
            all.Add(bin.segments, terms, *edf);
    }
    if (linear.segments > 0) {
        const long double meanTerms = linear.terms / static_cast<long double>(linear.segments);
        if (const auto weight = LinearWeight(noise, estimator, averaged, meanTerms)) {
            all.terms += linear.terms;
            all.weighted += static_cast<long double>(linear.segments) * *weight;
        }
    }
    if (all.weighted <= 0.0L)
        return std::nullopt;
    return static_cast<double>(all.terms * all.terms / all.weighted);
}

// terms^2 / edf at a mean number of terms, between the whole numbers of terms around it.
std::optional<long double> SegmentLengths::LinearWeight(NoiseType noise, VarianceEstimator estimator,
                                                        uint64_t m, long double meanTerms)
{
    const auto below = static_cast<uint64_t>(std::floor(meanTerms));
    const uint64_t span = TermSpan(estimator, m);
    const auto low = EquivalentDegreesOfFreedom(noise, estimator, m, below + span);
    const auto high = EquivalentDegreesOfFreedom(noise, estimator, m, below + 1 + span);
    if (!low || !high)
        return std::nullopt;
    const long double t = static_cast<long double>(below);
    const long double atLow = t * t / *low;
    const long double atHigh = (t + 1) * (t + 1) / *high;
    return atLow + (meanTerms - t) * (atHigh - atLow);
}

// Overlapping terms: phase points = terms + span.
uint64_t SegmentLengths::TermSpan(VarianceEstimator estimator, uint64_t m)
{
    const uint64_t points = (static_cast<uint64_t>(estimator.d) + 2) * m + 1;
    return points - TermCount(estimator, m, points);
}

}  // namespace analysis
