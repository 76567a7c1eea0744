#include "analysis/SegmentLengths.h"

#include <bit>
#include <cmath>

namespace analysis {

namespace {

constexpr int kBinsPerOctaveShift = 4;
constexpr int kFirstBinnedOctave = std::bit_width(SegmentLengths::kExactLengths) - 1;

}  // namespace

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

std::optional<double> SegmentLengths::DegreesOfFreedom(NoiseType noise, VarianceEstimator estimator,
                                                       uint64_t m, uint64_t stride) const
{
    long double terms = 0.0L;
    long double weighted = 0.0L;  // sum of terms^2 / edf
    for (const auto& [index, bin] : bins_) {
        const auto length = static_cast<uint64_t>(std::llround(static_cast<long double>(bin.readings) /
                                                                static_cast<long double>(bin.segments)));
        const size_t phasePoints = length / stride + 1;
        const uint64_t segmentTerms = TermCount(estimator, m / stride, phasePoints);
        if (segmentTerms == 0)
            continue;
        const auto edf = EquivalentDegreesOfFreedom(noise, estimator, m / stride, phasePoints);
        if (!edf)
            continue;
        const long double count = static_cast<long double>(bin.segments);
        const long double t = static_cast<long double>(segmentTerms);
        terms += count * t;
        weighted += count * t * t / *edf;
    }
    if (weighted <= 0.0L)
        return std::nullopt;
    return static_cast<double>(terms * terms / weighted);
}

}  // namespace analysis
