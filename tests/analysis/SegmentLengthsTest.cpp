#include "analysis/SegmentLengths.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace analysis;

namespace {

struct PooledRow {
    const char* Name;
    std::vector<std::pair<uint64_t, uint64_t>> segments;  // count, readings
    VarianceEstimator estimator;
    uint64_t m;
    uint64_t stride;
    double tolerance;  // relative, for lengths that share a bin
};

// Satterthwaite's combination of each segment's own EDF, segment by segment.
std::optional<double> Expected(const PooledRow& row)
{
    double terms = 0, weighted = 0;
    for (const auto& [count, readings] : row.segments) {
        const size_t points = readings / row.stride + 1;
        const auto edf = EquivalentDegreesOfFreedom(NoiseType::WhiteFrequency, row.estimator, row.m / row.stride, points);
        if (!edf)
            continue;
        const double t = static_cast<double>(TermCount(row.estimator, row.m / row.stride, points));
        terms += count * t;
        weighted += count * t * t / *edf;
    }
    if (weighted == 0)
        return std::nullopt;
    return terms * terms / weighted;
}

class PooledEdf : public ::testing::TestWithParam<PooledRow> {};

}  // namespace

TEST_P(PooledEdf, CombinesTheSegmentsThatHoldTerms)
{
    const PooledRow& row = GetParam();
    SegmentLengths lengths;
    for (const auto& [count, readings] : row.segments)
        for (uint64_t i = 0; i < count; ++i)
            lengths.Add(readings);
    const auto edf = lengths.DegreesOfFreedom(NoiseType::WhiteFrequency, row.estimator, row.m, row.stride);
    const auto expected = Expected(row);
    ASSERT_EQ(edf.has_value(), expected.has_value());
    if (expected) {
        EXPECT_NEAR(*edf, *expected, row.tolerance * *expected);
    }
}

const PooledRow kPooledRows[] = {
    {"EqualSegmentsAddUp", {{250, 40}}, kOverlappingAllan, 16, 1, 1e-12},
    {"TooShortForAnyTerm", {{250, 20}, {3, 0}}, kOverlappingAllan, 16, 1, 0},
    {"ShortOnesLeftOut", {{1, 10000}, {100, 20}}, kModifiedAllan, 16, 1, 1e-12},
    {"UnequalBySatterthwaite", {{1, 100}, {1, 1000}, {2, 63}}, kOverlappingHadamard, 8, 1, 1e-12},
    {"LongOnesTakenAtTheirMean", {{3, 5000}, {1, 80000}, {2, 700}, {4, 90}}, kOverlappingAllan, 32, 1, 1e-9},
    {"NeighboursShareABin", {{1, 1000}, {1, 1010}, {1, 1020}}, kOverlappingAllan, 64, 1, 1e-3},
    {"StridedTermsOnBlockSums", {{2, 600'000}, {1, 420'000}}, kModifiedAllan, 131072, 1024, 1e-12},
};
INSTANTIATE_TEST_SUITE_P(Segments, PooledEdf, ::testing::ValuesIn(kPooledRows), kRowName);

// The bins stay bounded whatever the lengths: one per exact length below 64, then
// sixteen per octave.
TEST(SegmentLengthsBins, LengthsOfEveryOctaveStayBounded)
{
    SegmentLengths lengths;
    for (uint64_t readings = 1; readings < (uint64_t{1} << 40); readings += readings / 7 + 1)
        lengths.Add(readings);
    const auto edf = lengths.DegreesOfFreedom(NoiseType::WhiteFrequency, kOverlappingAllan, 1, 1);
    ASSERT_TRUE(edf.has_value());
    EXPECT_GT(*edf, 1e11);
    EXPECT_LE(lengths.Bins(), 64u + 16u * 35u);
}
