#include "log/CsvLogReader.h"
#include "log/LogClock.h"
#include "log/LogFile.h"
#include "log/LogRow.h"

#include "tests/support/TempDir.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int64_t kNoon = 1796644800000;  // 2026-12-07T12:00:00.000Z

LogRow Row(int64_t utcMs, int64_t elapsedUs, uint32_t hz, std::string prescaler,
           std::optional<uint32_t> gateMs, std::optional<double> inductance)
{
    return {utcMs, elapsedUs, hz, std::move(prescaler), gateMs, inductance};
}

// Readings taken in the same microsecond, as the records of one read() are, keep their
// order one microsecond apart.
TEST(LogClockStamps, StrictlyIncreaseByAtLeastOneMicrosecond)
{
    EXPECT_EQ(NextStampUs(500, 499), 500);
    EXPECT_EQ(NextStampUs(499, 499), 500);
    EXPECT_EQ(NextStampUs(100, 499), 500);
    LogClock clock;
    int64_t last = clock.Now().elapsedUs;
    for (int i = 0; i < 10000; ++i) {
        const int64_t now = clock.Now().elapsedUs;
        ASSERT_GT(now, last);
        last = now;
    }
}

TEST(UtcText, WritesAndReadsBack)
{
    const struct {
        int64_t ms;
        const char* text;
    } cases[] = {{kNoon + 123, "2026-12-07T12:00:00.123Z"},
                 {0, "1970-01-01T00:00:00.000Z"},
                 {-1, "1969-12-31T23:59:59.999Z"},
                 {951782400000, "2000-02-29T00:00:00.000Z"},
                 {253402300799999, "9999-12-31T23:59:59.999Z"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatUtcMs(c.ms), c.text);
        int64_t back = 7;
        EXPECT_TRUE(ParseUtcMs(c.text, back));
        EXPECT_EQ(back, c.ms) << c.text;
    }
    EXPECT_EQ(FormatUtcMs(253402300799999 + 5000), "9999-12-31T23:59:59.999Z");
    int64_t ignored = 0;
    for (const char* bad :
         {"2026-02-29T00:00:00.000Z", "2026-12-07T24:00:00.000Z", "2026-12-07 12:00:00.000Z",
          "2026-12-07T12:00:00.12Z", "2026-12-07T12:00:0a.000Z"})
        EXPECT_FALSE(ParseUtcMs(bad, ignored)) << bad;
}

TEST(LogRowText, OneLinePerRowQuotedWhenNeeded)
{
    const struct {
        LogRow row;
        const char* line;
    } cases[] = {
        {Row(kNoon + 123, 12345678, 10000000, "001", 1000, 47.5),
         "2026-12-07T12:00:00.123Z,12.345678,10000000,001,1.0,47.5\r\n"},
        {Row(kNoon, 0, 0, "", std::nullopt, std::nullopt),
         "2026-12-07T12:00:00.000Z,0.000000,0,,,\r\n"},
        {Row(kNoon, 5000, 4294967295u, "1,2", 10000, 1e-5),
         "2026-12-07T12:00:00.000Z,0.005000,4294967295,\"1,2\",10.0,1e-05\r\n"},
        {Row(kNoon, -5, 1, "a\"b", 25, NAN),
         "2026-12-07T12:00:00.000Z,-0.000005,1,\"a\"\"b\",0.025,\r\n"},
        {Row(kNoon, 7, 1, "toolong", 100, 0.1),
         "2026-12-07T12:00:00.000Z,0.000007,1,too,0.1,0.1\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLogRow(c.row), c.line);
    const struct {
        const char* text;
        int64_t us;
    } older[] = {{"12.345", 12345000}, {"7", 7000000}, {"-0.5", -500000}};
    for (const auto& c : older) {
        int64_t us = 0;
        EXPECT_TRUE(ParseMicroseconds(c.text, us) && us == c.us) << c.text;
    }
}

struct ReadCase {
    const char* Name;
    std::string text;
    uint64_t rows, headers, malformed, firstMalformedLine;
};

const std::string kHeader = "utc,t_s,frequency_hz,prescaler,gate_s,inductance_uh";
const std::string kGood = "2026-12-07T12:00:00.000Z,1.000,10000000,001,1.0,";

// A good row, then one record per fault: a field too many, an impossible date, seven
// decimals in t_s, a frequency beyond 32 bits, a long prescaler, four decimals in gate_s,
// an infinite inductance, a quote inside an unquoted field, text after a closing quote.
std::string BadValues()
{
    std::string text = kGood + "\r\n";
    for (const char* record :
         {"2026-12-07T12:00:00.000Z,1.000,1,,,,", "2026-02-30T12:00:00.000Z,1.000,1,,,",
          "2026-12-07T12:00:00.000Z,1.0000000,1,,,", "2026-12-07T12:00:00.000Z,1.000,4294967296,,,",
          "2026-12-07T12:00:00.000Z,1.000,1,abcd,,", "2026-12-07T12:00:00.000Z,1.000,1,,1.0000,",
          "2026-12-07T12:00:00.000Z,1.000,1,,,inf", "2026-12-07T12:00:00.000Z,1.000,1,a\"b,,",
          "2026-12-07T12:00:00.000Z,1.000,1,\"a\"b,,"})
        text += std::string(record) + "\r\n";
    return text;
}

const ReadCase kReadCases[] = {
    {"crlf", kHeader + "\r\n" + kGood + "\r\n" + kGood + "\r\n", 2, 1, 0, 0},
    {"lf_and_no_final_end", kHeader + "\n" + kGood + "\n" + kGood, 2, 1, 0, 0},
    {"no_header", kGood + "\r\n", 1, 0, 0, 0},
    {"quoted_line_break", "2026-12-07T12:00:00.000Z,1.000,5,\"\r\nb\",,\r\n" + kGood + "\r\n", 2, 0,
     0, 0},
    {"stray_quote_costs_one_line",
     kGood + "\r\n2026-12-07T12:00:00.000Z,1.000,5,\"ab,,\r\n" + kGood + "\r\n" + kGood + "\r\n" +
         kGood + "\r\n" + kGood + "\r\n" + kGood + "\r\n",
     6, 0, 1, 2},
    {"appended_runs", kHeader + "\r\n" + kGood + "\r\n" + kHeader + "\r\n" + kGood + "\r\n", 2, 2,
     0, 0},
    {"blank_lines", "\r\n" + kGood + "\r\n\n\r\n", 1, 0, 0, 0},
    {"bad_values", BadValues(), 1, 0, 9, 2},
    {"overlong_line", kGood + "\r\n" + std::string(5000, 'x') + "\r\n" + kGood + "\r\n", 2, 0, 1,
     2},
};

class ReadLogText : public ::testing::TestWithParam<ReadCase> {};

// Whole and byte by byte, the reader finds the same rows and counts.
TEST_P(ReadLogText, CountsRowsHeadersAndSkips)
{
    const ReadCase& c = GetParam();
    LogReadCounts whole;
    const std::vector<LogRow> rows = ParseLogText(c.text, &whole);
    EXPECT_EQ(whole.rows, c.rows);
    EXPECT_EQ(rows.size(), c.rows);
    EXPECT_EQ(whole.headers, c.headers);
    EXPECT_EQ(whole.malformed, c.malformed);
    EXPECT_EQ(whole.firstMalformedLine, c.firstMalformedLine);
    std::vector<LogRow> pieces;
    CsvLogReader reader([&pieces](const LogRow& row) { pieces.push_back(row); });
    for (const char c1 : c.text)
        reader.Feed(std::string_view(&c1, 1));
    reader.Finish();
    EXPECT_EQ(pieces, rows);
    EXPECT_EQ(reader.Counts().malformed, c.malformed);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadLogText, ::testing::ValuesIn(kReadCases), kRowName);

// What the writer writes, the reader gives back field for field, over two runs.
TEST(LogRoundTrip, WriterRowsReadBackIdentically)
{
    TempDir folder;
    const std::vector<LogRow> rows = {
        Row(kNoon + 1, 0, 10000000, "001", 1000, 47.123456789012345),
        Row(kNoon + 1002, 1001, 9999999, "1,\"", std::nullopt, std::nullopt),
        Row(kNoon + 2003, 2002, 0, "\r\n", 100, -0.0001),
        Row(kNoon + 9000, 0, 4294967295u, "", 10000, 1e300),  // a second run starts at 0
    };
    for (size_t split : {size_t{3}, size_t{4}}) {
        LogFile file;
        ASSERT_TRUE(file.Open(folder.File("run.csv")));
        for (size_t i = split == 3 ? 0 : 3; i < split; ++i)
            EXPECT_TRUE(file.Append(rows[i]));
        EXPECT_TRUE(file.Close());
    }
    std::vector<LogRow> back;
    LogReadCounts counts;
    ASSERT_TRUE(ReadLogFile(folder.File("run.csv"), [&back](const LogRow& r) { back.push_back(r); }, counts));
    EXPECT_EQ(back, rows);
    EXPECT_EQ(counts.headers, 1u);
    EXPECT_EQ(counts.malformed, 0u);
    const SysStatus missing = ReadLogFile(folder.File("none.csv"), [](const LogRow&) {}, counts);
    EXPECT_EQ(LogReadFailureText(folder.File("none.csv"), missing.Error()),
              "Cannot read " + folder.File("none.csv") + ": No such file or directory");
}

}  // namespace
