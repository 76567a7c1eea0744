#include "tests/stability/AllanDeviation.h"
#include "tests/stability/BatchAnalysis.h"
#include "stability/StabilityAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// The NBS14 nine-point set of fractional frequencies, tau0 = 1.
const std::vector<double> kNbs9 = {892, 809, 823, 798, 671, 644, 883, 903, 677};

// The 1000-point test set of NIST SP 1065 (W. J. Riley, Handbook of Frequency
// Stability Analysis, 2008): n0 = 1234567890, n(i+1) = 16807 n(i) mod
// 2147483647, sample i = n(i) / 2147483647 for i = 0..999, tau0 = 1.
std::vector<double> Nist1000()
{
    std::vector<double> y;
    uint64_t n = 1234567890;
    for (int i = 0; i < 1000; ++i, n = n * 16807 % 2147483647)
        y.push_back(static_cast<double>(n) / 2147483647.0);
    return y;
}

enum class Kind { Overlapping, NonOverlapping, Modified };

struct Reference {
    const char* set;
    Kind kind;
    size_t m;
    double published;
};

// The published values: NBS14 for the nine-point set, SP 1065's table of the
// 1000-point set (7 significant digits) for the other.
const Reference kReferences[] = {
    {"nbs9", Kind::Overlapping, 1, 91.22945},
    {"nbs9", Kind::NonOverlapping, 2, 115.8082},
    {"nbs9", Kind::Overlapping, 2, 85.95287},
    {"nbs9", Kind::Modified, 2, 74.78849},
    {"nist1000", Kind::NonOverlapping, 1, 2.922319e-01},
    {"nist1000", Kind::NonOverlapping, 10, 9.965736e-02},
    {"nist1000", Kind::NonOverlapping, 100, 3.897804e-02},
    {"nist1000", Kind::Overlapping, 1, 2.922319e-01},
    {"nist1000", Kind::Overlapping, 10, 9.159953e-02},
    {"nist1000", Kind::Overlapping, 100, 3.241343e-02},
    {"nist1000", Kind::Modified, 1, 2.922319e-01},
    {"nist1000", Kind::Modified, 10, 6.172376e-02},
    {"nist1000", Kind::Modified, 100, 2.170921e-02},
};

class PublishedDeviation : public ::testing::TestWithParam<Reference> {};

TEST_P(PublishedDeviation, MatchesToSixDigits)
{
    const Reference& ref = GetParam();
    const AllanDeviation deviation(std::string(ref.set) == "nbs9" ? kNbs9 : Nist1000());
    const DeviationSums sums = ref.kind == Kind::Overlapping      ? deviation.Overlapping(ref.m)
                               : ref.kind == Kind::NonOverlapping ? deviation.NonOverlapping(ref.m)
                                                                  : deviation.Modified(ref.m);
    EXPECT_NEAR(sums.Deviation(), ref.published, ref.published * 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Nbs14AndSp1065, PublishedDeviation, ::testing::ValuesIn(kReferences));

// The curve entry point: taus 1 and 2 (a quarter of the span of 8) with their terms.
TEST(FractionalDeviationCurves, Nbs14LadderAndTerms)
{
    const DeviationCurves curves = FractionalDeviationCurves(kNbs9, 1.0);
    ASSERT_EQ(curves.adev.size(), 2u);
    ASSERT_EQ(curves.mdev.size(), 2u);
    const double expected[2][4] = {{8, 91.22945, 8, 91.22945}, {6, 85.95287, 5, 74.78849}};
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(curves.adev[k].tauS, static_cast<double>(k + 1));
        EXPECT_EQ(curves.adev[k].terms, expected[k][0]);
        EXPECT_NEAR(curves.adev[k].fractional, expected[k][1], 1e-4);
        EXPECT_EQ(curves.mdev[k].terms, expected[k][2]);
        EXPECT_NEAR(curves.mdev[k].fractional, expected[k][3], 1e-4);
        EXPECT_TRUE(std::isnan(curves.adev[k].hz));
    }
}

// Too few samples give no terms and NaN, never a division by zero.
TEST(AllanDeviationLimits, NoTermsBelowTheirLength)
{
    const AllanDeviation three(std::vector<double>{1.0, 2.0, 4.0});
    EXPECT_EQ(three.Overlapping(1).terms, 2u);
    EXPECT_EQ(three.Overlapping(2).terms, 0u);
    EXPECT_EQ(three.Modified(1).terms, 2u);
    EXPECT_EQ(three.Modified(2).terms, 0u);
    EXPECT_TRUE(std::isnan(three.Overlapping(2).Deviation()));
    EXPECT_EQ(AllanDeviation(std::vector<double>{}).Overlapping(1).terms, 0u);
}

}  // namespace
