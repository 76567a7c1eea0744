#include "settings/NumberText.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

struct IntRow {
    const char* Name;
    std::string_view Text;
    int32_t Expected;
};

class AtoiTest : public testing::TestWithParam<IntRow> {};

TEST_P(AtoiTest, ReadsLikeCAtoi)
{
    EXPECT_EQ(Atoi(GetParam().Text), GetParam().Expected);
    EXPECT_EQ(Atol(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AtoiTest,
    testing::Values(IntRow{"Empty", "", 0}, IntRow{"Plain", "42", 42},
                    IntRow{"LeadingWhiteSpace", " \t\n\v\f\r42", 42}, IntRow{"Plus", "+7", 7},
                    IntRow{"Minus", "-15", -15}, IntRow{"DigitsThenLetter", "3x", 3},
                    IntRow{"Letters", "abc", 0}, IntRow{"SignOnly", "-", 0},
                    IntRow{"TwoSigns", "--5", 0}, IntRow{"BlankAfterSign", "- 5", 0},
                    IntRow{"LeadingZeros", "0007", 7}, IntRow{"Fraction", "3.9", 3},
                    IntRow{"TrailingBlank", "12 34", 12}, IntRow{"Max", "2147483647", INT32_MAX},
                    IntRow{"Min", "-2147483648", INT32_MIN},
                    IntRow{"WrapsPastMax", "2147483648", INT32_MIN},
                    IntRow{"TenDigitAllOnes", "4294967295", -1},
                    IntRow{"TenDigitFrequency", "3000000000", static_cast<int32_t>(3000000000u)},
                    IntRow{"WrapsToZero", "4294967296", 0},
                    IntRow{"ManyDigitsNoCrash", "99999999999999999999999999999999", -1}), kRowName);

struct DoubleRow {
    const char* Name;
    std::string_view Text;
    double Expected;
};

class AtofTest : public testing::TestWithParam<DoubleRow> {};

TEST_P(AtofTest, ReadsLikeCAtofAndStaysFinite)
{
    const double value = Atof(GetParam().Text);
    EXPECT_EQ(value, GetParam().Expected);
    EXPECT_EQ(std::signbit(value), std::signbit(GetParam().Expected));
    EXPECT_TRUE(std::isfinite(value));
}

INSTANTIATE_TEST_SUITE_P(
    Table, AtofTest,
    testing::Values(
        DoubleRow{"Default", "0.1", 0.1}, DoubleRow{"Exponent", "1e-3", 0.001},
        DoubleRow{"CapitalExponent", "1E2", 100.0}, DoubleRow{"Plus", "+2.5", 2.5},
        DoubleRow{"NoIntegerPart", ".5", 0.5}, DoubleRow{"NoFraction", "5.", 5.0},
        DoubleRow{"PointThenExponent", "1.e3", 1000.0}, DoubleRow{"Minus", "-0.25", -0.25},
        DoubleRow{"MinusZero", "-0.000000", -0.0}, DoubleRow{"WhiteSpaceAndTail", " \t3.0x", 3.0},
        DoubleRow{"DanglingExponent", "1e", 1.0}, DoubleRow{"DanglingExponentSign", "1e+", 1.0},
        DoubleRow{"CommaEndsNumber", "1,5", 1.0}, DoubleRow{"Empty", "", 0.0},
        DoubleRow{"PointOnly", ".", 0.0}, DoubleRow{"TwoSigns", "+-1", 0.0},
        DoubleRow{"Letters", "abc", 0.0}, DoubleRow{"Inf", "inf", 0.0},
        DoubleRow{"MinusInfinity", "-infinity", 0.0}, DoubleRow{"Nan", "nan", 0.0},
        DoubleRow{"NanWithPayload", "nan(123)", 0.0}, DoubleRow{"HexIsJustZero", "0x10", 0.0},
        DoubleRow{"Smallest", "0.000001", 0.000001},
        DoubleRow{"OverflowSaturates", "1e999", DBL_MAX},
        DoubleRow{"NegativeOverflow", "-1e999", -DBL_MAX},
        DoubleRow{"LongMantissaOverflow", "9999999999e400", DBL_MAX},
        DoubleRow{"UnderflowIsZero", "1e-400", 0.0},
        DoubleRow{"NegativeUnderflow", "-1e-400", -0.0},
        DoubleRow{"ManyZerosUnderflow", "0.0000000000000000001e-400", 0.0},
        DoubleRow{"Subnormal", "4e-320", 4e-320},
        DoubleRow{"LargestWritten", "1.7976931348623157e+308", DBL_MAX}), kRowName);

struct FormatRow {
    const char* Name;
    double Value;
    std::string_view Expected;
};

class FormatFixed6Test : public testing::TestWithParam<FormatRow> {};

TEST_P(FormatFixed6Test, WritesLikePrintf)
{
    EXPECT_EQ(FormatFixed6(GetParam().Value), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatFixed6Test,
    testing::Values(FormatRow{"Default", 0.1, "0.100000"}, FormatRow{"Milli", 1e-3, "0.001000"},
                    FormatRow{"RoundsUp", 0.0000015, "0.000002"},
                    FormatRow{"BelowHalfUnit", 0.0000004999, "0.000000"},
                    FormatRow{"HalfUnitIsBelowHalf", 0.0000005, "0.000000"},
                    FormatRow{"Hundred", 100.0, "100.000000"},
                    FormatRow{"Negative", -2.5, "-2.500000"},
                    FormatRow{"NegativeZero", -0.0, "-0.000000"},
                    FormatRow{"Large", 1e20, "100000000000000000000.000000"},
                    FormatRow{"Infinity", INFINITY, "inf"},
                    FormatRow{"MinusInfinity", -INFINITY, "-inf"}, FormatRow{"Nan", NAN, "nan"},
                    FormatRow{"MinusNan", -NAN, "-nan"}), kRowName);

TEST(FormatFixed6Test, MatchesPrintfOverManyValues)
{
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> exponent(-9.0, 25.0);
    std::array<char, 400> expected{};
    for (int i = 0; i < 20000; ++i) {
        const double value = std::pow(10.0, exponent(random)) * ((i % 2) ? -1.0 : 1.0);
        std::snprintf(expected.data(), expected.size(), "%.6f", value);
        ASSERT_EQ(FormatFixed6(value), expected.data()) << "value " << value;
    }
    std::snprintf(expected.data(), expected.size(), "%.6f", DBL_MAX);
    EXPECT_EQ(FormatFixed6(DBL_MAX), expected.data());
}

TEST(FormatIntTest, WritesLikePrintf)
{
    EXPECT_EQ(FormatInt(0), "0");
    EXPECT_EQ(FormatInt(-1), "-1");
    EXPECT_EQ(FormatInt(INT32_MAX), "2147483647");
    EXPECT_EQ(FormatInt(INT32_MIN), "-2147483648");
}

class FormatFittingTest : public testing::TestWithParam<FormatRow> {};

// Whatever is written must come back as the same value through a 31-character read.
TEST_P(FormatFittingTest, FitsAndReadsBackUnchanged)
{
    const std::string text = FormatFixed6Fitting(GetParam().Value, 31);
    EXPECT_EQ(text, GetParam().Expected);
    EXPECT_LE(text.size(), 31u);
    if (std::isfinite(GetParam().Value) && std::abs(GetParam().Value) >= 1e15) {
        EXPECT_EQ(Atof(text), GetParam().Value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatFittingTest,
    testing::Values(FormatRow{"Normal", 0.1, "0.100000"},
                    FormatRow{"ThirtyCharacters", 1e23, "99999999999999991611392.000000"},
                    FormatRow{"ThirtyOneCharacters", 1e24, "999999999999999983222784.000000"},
                    FormatRow{"NegativeThirtyOne", -1e23, "-99999999999999991611392.000000"},
                    FormatRow{"NegativeThirtyTwo", -1e24, "-1e+24"},
                    FormatRow{"CutWouldChangeValue", 1e31, "1e+31"},
                    FormatRow{"NotPowerOfTen", -1.5e40, "-1.5e+40"},
                    FormatRow{"Largest", DBL_MAX, "1.7976931348623157e+308"},
                    FormatRow{"Infinity", INFINITY, "inf"}, FormatRow{"Nan", NAN, "nan"}), kRowName);

// A Qt program runs in the user's locale; numbers in the file keep the point.
TEST(NumberTextLocaleTest, IgnoresDecimalCommaLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
#ifdef PELMORA_TEST_LOCALE_DIR
    if (std::getenv("LOCPATH") == nullptr)  // the build compiles one when the system has none
        setenv("LOCPATH", PELMORA_TEST_LOCALE_DIR, 1);
#endif
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not installed; from_chars/to_chars ignore the locale";
    std::array<char, 32> local{};
    std::snprintf(local.data(), local.size(), "%.6f", 0.1);
    const double read = Atof("0.1");
    const std::string written = FormatFixed6(0.1);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_STREQ(local.data(), "0,100000");
    EXPECT_EQ(read, 0.1);
    EXPECT_EQ(written, "0.100000");
}

} // namespace
