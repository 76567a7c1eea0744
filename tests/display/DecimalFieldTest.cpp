#include <gtest/gtest.h>

#include <ostream>
#include <cstdint>
#include <limits>
#include <string>

#include "display/ReadoutText.h"
#include "tests/support/RowName.h"

namespace {

struct FieldRow {
    const char* Name;
    std::string buffer;  // the field and what follows it
    int width;
    int32_t value;
    friend void PrintTo(const FieldRow& row, std::ostream* os) { *os << row.Name; }
};

class DecimalField : public ::testing::TestWithParam<FieldRow> {};

TEST_P(DecimalField, ConvertsAsThe32BitAtolWithinTheField)
{
    const FieldRow& row = GetParam();
    EXPECT_EQ(ReadDecimalField(row.buffer.data(), row.width), row.value);
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Values, DecimalField,
    ::testing::Values(
        FieldRow{"Digits", "123", 3, 123},
        FieldRow{"LeadingZeros", "007", 3, 7},
        FieldRow{"LeadingBlanks", "  42", 4, 42},
        FieldRow{"LeadingTabAndCarriageReturn", "\t\r5", 3, 5},
        FieldRow{"PlusSign", "+12", 3, 12},
        FieldRow{"MinusSign", "-12", 3, -12},
        FieldRow{"BlankBetweenSignAndDigits", "- 5", 3, 0},
        FieldRow{"TwoSigns", "--5", 3, 0},
        FieldRow{"Empty", "", 0, 0},
        FieldRow{"OnlyBlanks", "     ", 5, 0},
        FieldRow{"Letters", "abc", 3, 0},
        FieldRow{"StopsAtFirstNonDigit", "12a3", 4, 12},
        FieldRow{"StopsAtTrailingBlank", "12 3", 4, 12},
        FieldRow{"StopsAtZeroByte", std::string("1\0" "23", 4), 4, 1},
        FieldRow{"HighByteIsNotADigit", "9\xB9" "9", 3, 9},
        FieldRow{"IgnoresDigitsAfterTheField", "01234", 2, 1},
        FieldRow{"SignOnlyInsideTheField", "  -5", 2, 0},
        FieldRow{"BlanksFillTheField", "   7", 3, 0},
        FieldRow{"LargestInt32", "2147483647", 10, kMax},
        FieldRow{"AboveInt32Wraps", "2147483648", 10, kMin},
        FieldRow{"TenNinesWrap", "9999999999", 10, 1410065407},
        FieldRow{"SmallestInt32", "-2147483648", 11, kMin},
        FieldRow{"BelowInt32Wraps", "-99999999999999999999", 21, -1661992959},
        FieldRow{"NegativeWidthReadsNothing", "12", -1, 0}), kRowName);

}  // namespace
