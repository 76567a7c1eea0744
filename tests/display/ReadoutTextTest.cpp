#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "display/ReadoutText.h"
#include "tests/support/RecordBuffer.h"
#include "tests/support/RowName.h"

namespace {

struct FrequencyRow {
    const char* Name;
    std::string field;  // the record's ten frequency characters and what follows
    const char* line;
    friend void PrintTo(const FrequencyRow& row, std::ostream* os) { *os << row.Name; }
};

class FrequencyLine : public ::testing::TestWithParam<FrequencyRow> {};

TEST_P(FrequencyLine, ShowsTheFieldGroupedWithTheIndicator)
{
    const FrequencyRow& row = GetParam();
    const auto record = MakeRecord("001", "01", '0', row.field);
    ReadoutText text;
    ActivityIndicator indicator;

    FormatFrequencyLine(text, indicator, record.data());

    EXPECT_EQ(WholeLine(text.Frequency), Padded(row.line));
    EXPECT_EQ(indicator.Counter, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FrequencyLine,
    ::testing::Values(
        FrequencyRow{"Zero", "0000000000", "          0Hz -"},
        FrequencyRow{"NoSeparatorBelowAThousand", "0000000999", "        999Hz -"},
        FrequencyRow{"OneSeparatorFromAThousand", "0000001000", "      1,000Hz -"},
        FrequencyRow{"FiveDigits", "0000012345", "     12,345Hz -"},
        FrequencyRow{"BothSeparatorsFromAMillion", "0001000000", "  1,000,000Hz -"},
        FrequencyRow{"NineDigits", "0123456789", "123,456,789Hz -"},
        FrequencyRow{"LargestShown", "0999999999", "999,999,999Hz -"},
        FrequencyRow{"BlankPadded", "      1000", "      1,000Hz -"},
        FrequencyRow{"PlusSign", "+000001000", "      1,000Hz -"},
        FrequencyRow{"FieldEndsWithItsTenthCharacter", "00000010007", "      1,000Hz -"},
        FrequencyRow{"DigitsEndAtALetter", "12345X6789", "     12,345Hz -"},
        FrequencyRow{"DigitsEndAtAZeroByte", std::string("12\0" "4567890", 10), "         12Hz -"},
        FrequencyRow{"Letters", "ABCDEFGHIJ", "          0Hz -"},
        FrequencyRow{"OneBillionIsOverRange", "1000000000", "---,---,---Hz -"},
        FrequencyRow{"Beyond32BitsIsOverRange", "9999999999", "---,---,---Hz -"},
        FrequencyRow{"MinusOneIsOverRange", "-000000001", "---,---,---Hz -"}), kRowName);

TEST(ActivityIndicator, AlternatesDashBarDash)
{
    const auto record = MakeRecord("001", "01", '0', "0000000999");
    ReadoutText text;
    ActivityIndicator indicator;
    const char expected[] = {'-', '|', '-', '|'};

    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        FormatFrequencyLine(text, indicator, record.data());
        EXPECT_EQ(text.Frequency[14], expected[i]);
        EXPECT_EQ(indicator.Counter, (i + 1) % 2);
    }
}

TEST(ActivityIndicator, CounterOutsideZeroOrOneStillPicksATableGlyph)
{
    const auto record = MakeRecord("001", "01", '0', "0000000999");
    ReadoutText text;
    ActivityIndicator indicator{7};

    FormatFrequencyLine(text, indicator, record.data());

    EXPECT_EQ(WholeLine(text.Frequency), Padded("        999Hz |"));
    EXPECT_EQ(indicator.Counter, 0);
}

struct NoDataRow {
    const char* Name;
    int recordsBefore;
    char code;
    friend void PrintTo(const NoDataRow& row, std::ostream* os) { *os << row.Name; }
};

class NoDataText : public ::testing::TestWithParam<NoDataRow> {};

TEST_P(NoDataText, CarriesTheRawCounterAndLeavesTheOtherLines)
{
    const NoDataRow& row = GetParam();
    const auto record = MakeRecord("100", "10", '0', "0000012345");
    ReadoutText text;
    ActivityIndicator indicator;
    for (int i = 0; i < row.recordsBefore; ++i)
        FormatFrequencyLine(text, indicator, record.data());
    FormatStatusLine(text, record.data());
    FormatInductanceLine(text, 5066.0591821);

    WriteNoDataText(text, indicator);

    std::string expected = "Not ReceiveHz ";
    expected += row.code;
    EXPECT_EQ(WholeLine(text.Frequency), Padded(expected));
    EXPECT_EQ(indicator.Counter, row.code);
    EXPECT_EQ(WholeLine(text.Status), Padded("P.S:[100] G.T:[10.00sec]"));
    EXPECT_EQ(WholeLine(text.Inductance), Padded("L=           5,066.059uH"));
}

INSTANTIATE_TEST_SUITE_P(Values, NoDataText,
                         ::testing::Values(NoDataRow{"AtStart", 0, '\0'},
                                           NoDataRow{"AfterOneRecord", 1, '\1'},
                                           NoDataRow{"AfterTwoRecords", 2, '\0'},
                                           NoDataRow{"AfterThreeRecords", 3, '\1'}), kRowName);

TEST(NoDataText, NextRecordShowsTheGlyphForTheSameCounter)
{
    const auto record = MakeRecord("001", "01", '0', "0000001000");
    ReadoutText text;
    ActivityIndicator indicator;
    FormatFrequencyLine(text, indicator, record.data());

    WriteNoDataText(text, indicator);
    FormatFrequencyLine(text, indicator, record.data());

    EXPECT_EQ(WholeLine(text.Frequency), Padded("      1,000Hz |"));
}

TEST(ResetReadoutText, WritesTheIdleTextsAndKeepsTheCounter)
{
    ReadoutText text;
    ActivityIndicator indicator;
    const auto record = MakeRecord("001", "01", '0', "0123456789");
    FormatFrequencyLine(text, indicator, record.data());
    WriteNoDataText(text, indicator);
    FormatStatusLine(text, MakeRecord("-99", "-9", 'X', "0").data());
    FormatInductanceLine(text, 9999999.0);

    ResetReadoutText(text);

    EXPECT_EQ(WholeLine(text.Frequency), Padded("000,000,000Hz  "));
    EXPECT_EQ(WholeLine(text.Status), Padded("P.S:[  0] G.T:[ 0.00sec]"));
    EXPECT_EQ(WholeLine(text.Inductance), Padded("L=               0.000uH"));
    EXPECT_EQ(indicator.Counter, 1);
}

// The counter's own example line, and one of letters only.
TEST(AcceptedRecord, FillsAllThreeLines)
{
    struct Row {
        std::array<char, 256> record;
        const char* frequency;
        const char* status;
        const char* inductance;
    };
    const Row rows[] = {
        {MakeRecord("001", "01", '0', "0001000000", '\r'), "  1,000,000Hz -", "P.S:[  1] G.T:[ 1.00sec]",
         "L=               0.507uH"},
        {MakeRecord("ABC", "DE", 'F', "GHIJKLMNOP"), "          0Hz -", "P.S:[  0] G.T:[ 0.F0sec]",
         "L=               0.000uH"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.frequency);
        const ReadoutText text = FormatAcceptedRecord(row.record);
        EXPECT_EQ(WholeLine(text.Frequency), Padded(row.frequency));
        EXPECT_EQ(WholeLine(text.Status), Padded(row.status));
        EXPECT_EQ(WholeLine(text.Inductance), Padded(row.inductance));
    }
}

}  // namespace
