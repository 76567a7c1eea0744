#include "stability/StabilityAnalysis.h"
#include "tests/analysis/PowerLawNoise.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kHz = 1e7;

struct CoverageRow {
    const char* Name;
    size_t readings;
    size_t segmentReadings;  // cut after every this many (by 20 s without readings); 0: uncut
    int octave;              // m = 2^octave
    int series;
    uint64_t firstSeed;
    double lowest, highest;     // share of intervals that hold the true ADEV
    double lowestWhiteShare;    // of points typed WFM
};

// White frequency noise of 1 Hz at 1 s: the true Allan deviation at m is 1 Hz / sqrt(m).
std::vector<FrequencySample> WhiteFrequency(const CoverageRow& row, uint64_t seed)
{
    const std::vector<double> y = PowerLawNoise(0, row.readings, seed);
    std::vector<FrequencySample> samples;
    for (size_t i = 0; i < y.size(); ++i) {
        const size_t pauses = row.segmentReadings == 0 ? 0 : i / row.segmentReadings;
        samples.push_back({static_cast<double>(i + 20 * pauses), kHz + y[i], 1000});
    }
    return samples;
}

class IntervalCoverage : public ::testing::TestWithParam<CoverageRow> {};

}  // namespace

// Seeded series of white frequency noise: the one-sigma intervals of the Allan deviation
// hold the true value about as often as they should, cut or not, with few averages or
// many, and the noise is named right.
TEST_P(IntervalCoverage, OneSigmaHoldsTheTrueValue)
{
    const CoverageRow& row = GetParam();
    int covered = 0;
    int white = 0;
    for (int r = 0; r < row.series; ++r) {
        const StabilitySummary s = AnalyseSamples(WhiteFrequency(row, row.firstSeed + r));
        ASSERT_EQ(s.gaps, row.segmentReadings == 0 ? 0 : row.readings / row.segmentReadings - 1);
        ASSERT_GT(s.adev.size(), static_cast<size_t>(row.octave));
        const DeviationPoint& point = s.adev[static_cast<size_t>(row.octave)];
        const double truth = 1.0 / std::sqrt(std::ldexp(1.0, row.octave)) / s.meanHz;
        covered += truth >= point.lower && truth <= point.upper ? 1 : 0;
        white += point.noise == analysis::NoiseType::WhiteFrequency ? 1 : 0;
    }
    const double coverage = static_cast<double>(covered) / row.series;
    const double whiteShare = static_cast<double>(white) / row.series;
    std::printf("%s: coverage %.1f %%, WFM %.1f %% of %d series\n", row.Name, 100 * coverage,
                100 * whiteShare, row.series);
    EXPECT_GE(coverage, row.lowest);
    EXPECT_LE(coverage, row.highest);
    EXPECT_GE(whiteShare, row.lowestWhiteShare);
}

// The cut rows hold the 200 replicates of their figure; 300 of the 1000 series of the
// uncut 4096 readings, with bounds wider by the fewer series.
const CoverageRow kCoverageRows[] = {
    {"CutIntoFortyReadingSegments", 10000, 40, 4, 200, 5000, 0.60, 0.76, 0.0},
    {"UncutOfTheSameLength", 10000, 0, 4, 200, 5000, 0.60, 0.76, 0.95},
    {"ThirtyTwoAverages", 4096, 0, 7, 300, 90000, 0.62, 0.75, 0.80},
    {"EightAverages", 4096, 0, 9, 300, 90000, 0.62, 0.75, 0.0},
};
INSTANTIATE_TEST_SUITE_P(WhiteFrequencyNoise, IntervalCoverage, ::testing::ValuesIn(kCoverageRows), kRowName);
