#include "analysis/ConfidenceInterval.h"
#include "analysis/EquivalentDegreesOfFreedom.h"
#include "analysis/PhaseDeviations.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace analysis;

namespace {

// The 1000-point test set of W. J. Riley's handbook (NIST SP 1065): n(0) = 1234567890,
// n(i+1) = 16807 n(i) mod 2147483647, y[i] = n(i) / 2147483647 from i = 0, tau0 = 1 s.
const std::vector<double>& Riley1000()
{
    static const std::vector<double> y = [] {
        std::vector<double> values;
        for (uint64_t n = 1234567890; values.size() < 1000; n = n * 16807 % 2147483647)
            values.push_back(static_cast<double>(n) / 2147483647.0);
        return values;
    }();
    return y;
}

using Member = Deviation (PhaseDeviations::*)(size_t) const;

struct DeviationRow {
    const char* Name;
    Member deviation;
    size_t m;
    double published;  // to 7 digits; hdev_100 (3.9108606e-02) published truncated
    uint64_t terms;
};

const DeviationRow kDeviationRows[] = {
    {"adev_1", &PhaseDeviations::Allan, 1, 2.922319e-01, 999},
    {"adev_10", &PhaseDeviations::Allan, 10, 9.965736e-02, 99},
    {"adev_100", &PhaseDeviations::Allan, 100, 3.897804e-02, 9},
    {"oadev_1", &PhaseDeviations::OverlappingAllan, 1, 2.922319e-01, 999},
    {"oadev_10", &PhaseDeviations::OverlappingAllan, 10, 9.159953e-02, 981},
    {"oadev_100", &PhaseDeviations::OverlappingAllan, 100, 3.241343e-02, 801},
    {"oadev_501_none", &PhaseDeviations::OverlappingAllan, 501, NAN, 0},
    {"mdev_1", &PhaseDeviations::ModifiedAllan, 1, 2.922319e-01, 999},
    {"mdev_10", &PhaseDeviations::ModifiedAllan, 10, 6.172376e-02, 972},
    {"mdev_100", &PhaseDeviations::ModifiedAllan, 100, 2.170921e-02, 702},
    {"mdev_334_none", &PhaseDeviations::ModifiedAllan, 334, NAN, 0},
    {"hdev_1", &PhaseDeviations::Hadamard, 1, 2.943883e-01, 998},
    {"hdev_10", &PhaseDeviations::Hadamard, 10, 1.052754e-01, 98},
    {"hdev_100", &PhaseDeviations::Hadamard, 100, 3.910860e-02, 8},
    {"ohdev_1", &PhaseDeviations::OverlappingHadamard, 1, 2.943883e-01, 998},
    {"ohdev_10", &PhaseDeviations::OverlappingHadamard, 10, 9.581083e-02, 971},
    {"ohdev_100", &PhaseDeviations::OverlappingHadamard, 100, 3.237638e-02, 701},
    {"tdev_1", &PhaseDeviations::Time, 1, 1.687202e-01, 999},
    {"tdev_10", &PhaseDeviations::Time, 10, 3.563623e-01, 972},
    {"tdev_100", &PhaseDeviations::Time, 100, 1.253382e+00, 702},
};

class PublishedDeviation : public ::testing::TestWithParam<DeviationRow> {};

TEST_P(PublishedDeviation, MatchesToTheLastPublishedDigitAndCountsTerms)
{
    const DeviationRow& row = GetParam();
    const Deviation deviation = (PhaseDeviations(Riley1000(), 1.0).*row.deviation)(row.m);
    if (std::isnan(row.published)) {
        EXPECT_TRUE(std::isnan(deviation.value));
    } else {
        const double lastDigit = std::pow(10.0, std::floor(std::log10(row.published)) - 6);
        EXPECT_NEAR(deviation.value, row.published, lastDigit);
    }
    EXPECT_EQ(deviation.terms, row.terms);
}

INSTANTIATE_TEST_SUITE_P(Riley1000, PublishedDeviation, ::testing::ValuesIn(kDeviationRows), kRowName);

struct EdfRow {
    const char* Name;
    NoiseType noise;
    VarianceEstimator estimator;
    size_t m;
    double expected;  // NaN: none
};

// Greenhall-Riley EDFs for 1001 phase points, from an independent implementation.
const EdfRow kEdfRows[] = {
    {"adev_wpm_1", NoiseType::WhitePhase, kOverlappingAllan, 1, 514.0},
    {"adev_wpm_10", NoiseType::WhitePhase, kOverlappingAllan, 10, 507.2},
    {"adev_wpm_100", NoiseType::WhitePhase, kOverlappingAllan, 100, 440.2},
    {"adev_wfm_1", NoiseType::WhiteFrequency, kOverlappingAllan, 1, 782.0},
    {"adev_wfm_10", NoiseType::WhiteFrequency, kOverlappingAllan, 10, 135.1},
    {"adev_wfm_100", NoiseType::WhiteFrequency, kOverlappingAllan, 100, 12.81},
    {"adev_rwfm_1", NoiseType::RandomWalkFrequency, kOverlappingAllan, 1, 762.3},
    {"adev_rwfm_10", NoiseType::RandomWalkFrequency, kOverlappingAllan, 10, 91.04},
    {"adev_rwfm_100", NoiseType::RandomWalkFrequency, kOverlappingAllan, 100, 7.754},
    {"mdev_wfm_1", NoiseType::WhiteFrequency, kModifiedAllan, 1, 782.0},
    {"mdev_wfm_10", NoiseType::WhiteFrequency, kModifiedAllan, 10, 94.63},
    {"mdev_wfm_100", NoiseType::WhiteFrequency, kModifiedAllan, 100, 7.417},
    {"hdev_wfm_1", NoiseType::WhiteFrequency, kOverlappingHadamard, 1, 608.5},
    {"hdev_wfm_10", NoiseType::WhiteFrequency, kOverlappingHadamard, 10, 113.7},
    {"hdev_wfm_100", NoiseType::WhiteFrequency, kOverlappingHadamard, 100, 9.923},
    {"adev_wfm_501_none", NoiseType::WhiteFrequency, kOverlappingAllan, 501, NAN},
    {"hdev_fpm_334_none", NoiseType::FlickerPhase, kOverlappingHadamard, 334, NAN},
};

class PublishedEdf : public ::testing::TestWithParam<EdfRow> {};

TEST_P(PublishedEdf, MatchesToOnePartInAThousand)
{
    const EdfRow& row = GetParam();
    const auto edf = EquivalentDegreesOfFreedom(row.noise, row.estimator, row.m, 1001);
    ASSERT_EQ(edf.has_value(), !std::isnan(row.expected));
    if (edf) {
        EXPECT_NEAR(*edf, row.expected, row.expected * 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(GreenhallRiley, PublishedEdf, ::testing::ValuesIn(kEdfRows), kRowName);

}  // namespace

// The published 0.285115 ... 0.299910 for ADEV 0.2922319 with the EDF of white FM at m = 1.
TEST(ChiSquaredInterval, OneSigmaAroundTheAllanDeviationAndNoneOutsideZeroToOne)
{
    const double edf = EquivalentDegreesOfFreedom(NoiseType::WhiteFrequency, kOverlappingAllan, 1, 1001).value();
    const auto interval = ChiSquaredInterval(0.2922319, edf);
    ASSERT_TRUE(interval);
    EXPECT_NEAR(interval->lower, 0.285115, 1e-6);
    EXPECT_NEAR(interval->upper, 0.299910, 1e-6);
    EXPECT_FALSE(ChiSquaredInterval(0.2922319, 782.0, 1.0));
    EXPECT_FALSE(ChiSquaredInterval(0.2922319, 0.0));
}
