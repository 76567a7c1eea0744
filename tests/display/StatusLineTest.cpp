#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "display/ReadoutText.h"
#include "tests/support/RecordBuffer.h"
#include "tests/support/RowName.h"

namespace {

struct StatusRow {
    const char* Name;
    const char* prescaler;
    const char* gate;
    char tenths;
    const char* line;
    friend void PrintTo(const StatusRow& row, std::ostream* os) { *os << row.Name; }
};

class StatusLine : public ::testing::TestWithParam<StatusRow> {};

TEST_P(StatusLine, ShowsPrescalerAndGateTime)
{
    const StatusRow& row = GetParam();
    const auto record = MakeRecord(row.prescaler, row.gate, row.tenths, "0000001000");
    ReadoutText text;

    FormatStatusLine(text, record.data());

    EXPECT_EQ(WholeLine(text.Status), Padded(row.line));
}

INSTANTIATE_TEST_SUITE_P(
    Values, StatusLine,
    ::testing::Values(
        StatusRow{"OneSecond", "001", "01", '0', "P.S:[  1] G.T:[ 1.00sec]"},
        StatusRow{"TenSeconds", "100", "10", '0', "P.S:[100] G.T:[10.00sec]"},
        StatusRow{"TenthOfASecond", "001", "00", '1', "P.S:[  1] G.T:[ 0.10sec]"},
        // The gate field is two characters: the tenths digit beside it is not part of it.
        StatusRow{"GateStopsBeforeTenths", "010", "01", '5', "P.S:[ 10] G.T:[ 1.50sec]"},
        StatusRow{"Largest", "999", "99", '9', "P.S:[999] G.T:[99.90sec]"},
        StatusRow{"BlankFields", "   ", "  ", ' ', "P.S:[  0] G.T:[ 0. 0sec]"},
        StatusRow{"BlankPadded", "  7", " 2", '0', "P.S:[  7] G.T:[ 2.00sec]"},
        StatusRow{"Letters", "ABC", "DE", 'F', "P.S:[  0] G.T:[ 0.F0sec]"},
        StatusRow{"DigitThenLetter", "5X9", "3Y", '0', "P.S:[  5] G.T:[ 3.00sec]"},
        StatusRow{"NegativePrescaler", "-99", "01", '0', "P.S:[-99] G.T:[ 1.00sec]"},
        StatusRow{"MinusOnePrescaler", " -1", "01", '0', "P.S:[ -1] G.T:[ 1.00sec]"},
        StatusRow{"NegativeGate", "001", "-9", '5', "P.S:[  1] G.T:[-9.50sec]"},
        StatusRow{"SignWithoutDigits", "--1", "+-", '0', "P.S:[  0] G.T:[ 0.00sec]"}), kRowName);

TEST(StatusLineTenths, ZeroByteIsCopiedAsItStands)
{
    const auto record = MakeRecord("001", "01", '\0', "0000001000");
    ReadoutText text;

    FormatStatusLine(text, record.data());

    EXPECT_EQ(WholeLine(text.Status), Padded(std::string("P.S:[  1] G.T:[ 1.\0" "0sec]", 24)));
}

}  // namespace
