#include <gtest/gtest.h>

#include <ostream>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"
#include "tests/support/RecordBuffer.h"
#include "tests/support/RowName.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string LineFor(double inductance)
{
    ReadoutText text;
    FormatInductanceLine(text, inductance);
    return WholeLine(text.Inductance);
}

struct WorkedRow {
    const char* Name;
    uint32_t frequency;
    double c1;
    double c2;
    double inductance;  // after the limit
    const char* line;
    friend void PrintTo(const WorkedRow& row, std::ostream* os) { *os << row.Name; }
};

class WorkedExample : public ::testing::TestWithParam<WorkedRow> {};

TEST_P(WorkedExample, ComputesAndShowsTheInductance)
{
    const WorkedRow& row = GetParam();
    const double inductance = ComputeInductance(row.frequency, row.c1, row.c2);

    EXPECT_NEAR(inductance, row.inductance, row.inductance * 1e-9);
    EXPECT_EQ(LineFor(inductance), Padded(row.line));
}

INSTANTIATE_TEST_SUITE_P(
    Values, WorkedExample,
    ::testing::Values(
        WorkedRow{"OneMegahertz", 1000000, 0.1, 0.1, 0.50660591821, "L=               0.507uH"},
        WorkedRow{"IntermediateFrequency", 455000, 0.001, 0.001, 244.70760449,
                  "L=             244.708uH"},
        WorkedRow{"TenKilohertz", 10000, 0.1, 0.1, 5066.0591821, "L=           5,066.059uH"},
        WorkedRow{"UnequalCapacitors", 1000, 0.047, 0.1, 792245.42528,
                  "L=         792,245.425uH"},
        WorkedRow{"ThreeHundredHertz", 300, 0.1, 0.1, 5628954.6467, "L=       5,628,954.647uH"},
        WorkedRow{"LowestShownFrequency", 226, 0.1, 0.1, 9918668.6156,
                  "L=       9,918,668.616uH"}), kRowName);

TEST(ComputeInductance, EveryFrequencyUpTo225HzShowsZero)
{
    for (uint32_t frequency = 0; frequency <= 225; ++frequency) {
        SCOPED_TRACE(frequency);
        const double inductance = ComputeInductance(frequency, 0.1, 0.1);
        EXPECT_EQ(inductance, 0.0);
        EXPECT_EQ(LineFor(inductance), Padded("L=               0.000uH"));
    }
}

TEST(ComputeInductance, NegativeFrequencyFieldReadAsUnsigned)
{
    const auto record = MakeRecord("001", "01", '0', "-000000001");
    const auto frequency = static_cast<uint32_t>(RecordFrequency(record.data()));

    const double inductance = ComputeInductance(frequency, 0.1, 0.1);

    EXPECT_GT(inductance, 0.0);
    EXPECT_EQ(LineFor(inductance), Padded("L=               0.000uH"));
}

struct CapacitorRow {
    const char* Name;
    double c1;
    double c2;
    friend void PrintTo(const CapacitorRow& row, std::ostream* os) { *os << row.Name; }
};

class UnusableCapacitors : public ::testing::TestWithParam<CapacitorRow> {};

TEST_P(UnusableCapacitors, GiveZero)
{
    const CapacitorRow& row = GetParam();
    for (uint32_t frequency : {1u, 1000u, 1000000u, 4294967295u}) {
        SCOPED_TRACE(frequency);
        const double inductance = ComputeInductance(frequency, row.c1, row.c2);
        EXPECT_EQ(inductance, 0.0);
        EXPECT_FALSE(std::signbit(inductance));
        EXPECT_EQ(LineFor(inductance), Padded("L=               0.000uH"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnusableCapacitors,
    ::testing::Values(CapacitorRow{"BothZero", 0.0, 0.0},
                      CapacitorRow{"C1Zero", 0.0, 0.1},
                      CapacitorRow{"C2Zero", 0.1, 0.0},
                      CapacitorRow{"C1Negative", -0.1, 0.2},
                      CapacitorRow{"BothNegative", -0.1, -0.1},
                      CapacitorRow{"OppositeSumZero", -0.1, 0.1},
                      CapacitorRow{"NegativeNearZero", -1e-300, 1e-6},
                      CapacitorRow{"TinyPositive", 1e-300, 1e-300},
                      CapacitorRow{"NotANumber", kNaN, 0.1},
                      CapacitorRow{"Infinite", kInfinity, kInfinity},
                      CapacitorRow{"HugeOpposite", -1e308, 1e308}), kRowName);

struct FormatRow {
    const char* Name;
    double inductance;
    const char* line;
    friend void PrintTo(const FormatRow& row, std::ostream* os) { *os << row.Name; }
};

class InductanceLine : public ::testing::TestWithParam<FormatRow> {};

TEST_P(InductanceLine, GroupsThousandsAfterRounding)
{
    const FormatRow& row = GetParam();
    EXPECT_EQ(LineFor(row.inductance), Padded(row.line));
}

INSTANTIATE_TEST_SUITE_P(
    Values, InductanceLine,
    ::testing::Values(
        FormatRow{"Zero", 0.0, "L=               0.000uH"},
        FormatRow{"RoundsDownToZero", 0.0004, "L=               0.000uH"},
        FormatRow{"SmallestPositive", 4.9e-324, "L=               0.000uH"},
        FormatRow{"RoundsUp", 123.4567, "L=             123.457uH"},
        FormatRow{"JustBelowAThousand", 999.999, "L=             999.999uH"},
        FormatRow{"RoundsToAThousandThenGroups", 999.9996, "L=           1,000.000uH"},
        FormatRow{"AThousand", 1000.0, "L=           1,000.000uH"},
        FormatRow{"SevenDigits", 1000000.0, "L=       1,000,000.000uH"},
        FormatRow{"RoundsToTheLimit", 9999998.9996, "L=       9,999,999.000uH"},
        FormatRow{"ExactlyTheLimit", 9999999.0, "L=       9,999,999.000uH"},
        FormatRow{"JustAboveTheLimit", 9999999.000000002, "L=               0.000uH"},
        FormatRow{"FarAboveTheLimit", 1e300, "L=               0.000uH"},
        FormatRow{"Infinite", kInfinity, "L=               0.000uH"},
        FormatRow{"NotANumber", kNaN, "L=               0.000uH"},
        FormatRow{"NegativeZero", -0.0, "L=               0.000uH"},
        FormatRow{"Negative", -5066.059, "L=               0.000uH"},
        FormatRow{"NegativeInfinite", -kInfinity, "L=               0.000uH"}), kRowName);

}  // namespace
