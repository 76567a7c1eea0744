#include "statistics/NominalFrequency.h"

#include "tests/support/RowName.h"

#include <gtest/gtest.h>

namespace {

struct NominalRow {
    const char* Name;
    const char* Text;
    double Hz;  // when Error is None
    NominalError Error;
};

class StatsNominalTest : public testing::TestWithParam<NominalRow> {};

TEST_P(StatsNominalTest, ParsesOrSaysWhy)
{
    const NominalParse parsed = ParseNominal(GetParam().Text);
    EXPECT_EQ(parsed.error, GetParam().Error);
    if (GetParam().Error == NominalError::None) {
        EXPECT_EQ(parsed.hz, GetParam().Hz);
    }
}

constexpr NominalError kOk = NominalError::None;

INSTANTIATE_TEST_SUITE_P(
    Table, StatsNominalTest,
    testing::Values(NominalRow{"Mega", "10M", 10e6, kOk},
                    NominalRow{"MegaHertzDecimals", "10.000 MHz", 10e6, kOk},
                    NominalRow{"Hertz", "32768", 32768.0, kOk},
                    NominalRow{"KiloHertzExact", "32.768 kHz", 32768.0, kOk},
                    NominalRow{"HzWithoutBlank", "5Hz", 5.0, kOk},
                    NominalRow{"BlanksAround", "  1.5 GHz ", 1.5e9, kOk},
                    NominalRow{"FractionOfHertz", "1000.25", 1000.25, kOk},
                    NominalRow{"LowestOne", "1", 1.0, kOk},
                    NominalRow{"HighestTenGiga", "10G", 10e9, kOk},
                    NominalRow{"BelowOne", "0.5 Hz", 0.0, NominalError::OutOfRange},
                    NominalRow{"AboveTenGiga", "10.000001 GHz", 0.0, NominalError::OutOfRange},
                    NominalRow{"Zero", "0", 0.0, NominalError::OutOfRange},
                    NominalRow{"Empty", "   ", 0.0, NominalError::Empty},
                    NominalRow{"Negative", "-10M", 0.0, NominalError::NotANumber},
                    NominalRow{"Comma", "10,5 MHz", 0.0, NominalError::NotANumber},
                    NominalRow{"Exponent", "1e7", 0.0, NominalError::NotANumber},
                    NominalRow{"TwoPoints", "1.2.3", 0.0, NominalError::NotANumber},
                    NominalRow{"Words", "ten MHz", 0.0, NominalError::NotANumber},
                    NominalRow{"Milli", "10 mHz", 0.0, NominalError::UnknownUnit},
                    NominalRow{"Trailing", "10 MHz x", 0.0, NominalError::UnknownUnit}),
    kRowName);

TEST(StatsNominalText, ReadsBackWithoutExponent)
{
    EXPECT_EQ(NominalText(10e6), "10000000");
    EXPECT_EQ(NominalText(32768.5), "32768.5");
    EXPECT_EQ(ParseNominal(NominalText(10e9)).hz, 10e9);
}

}  // namespace
