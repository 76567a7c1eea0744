#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "link/receive/RecordAssembler.h"
#include "tests/support/RowName.h"

namespace {

using namespace std::string_literals;

class CollectingSink : public RecordSink {
public:
    void OnRecord(const char* record) override
    {
        EXPECT_EQ(record[kRecordLength], '\0');
        Records.emplace_back(record, kRecordLength);
    }
    std::vector<std::string> Records;
};

struct AssemblerCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Expected;
};

const std::string kRecord = "001 010 0001000000";

std::string Repeat(char c, std::size_t n)
{
    return std::string(n, c);
}

const AssemblerCase kCases[] = {
    {"CrLfRecord", kRecord + "\r\n", {kRecord}},
    {"EighteenThenLineFeed", kRecord + "\n", {}},
    {"AnyNineteenthCharacter", kRecord + "X\n", {kRecord}},
    {"NulAsNineteenth", kRecord + "\0\n"s, {kRecord}},
    {"LineFeedAsNineteenthEndsEarly", kRecord + "\n\n", {}},
    {"EmptyLine", "\n", {}},
    {"EmptyLinesThenRecord", "\n\n\n" + kRecord + "\r\n", {kRecord}},
    {"NonBlankAtThree", "001X010 0001000000\r\n", {}},
    {"NonBlankAtSeven", "001 010X0001000000\r\n", {}},
    {"TabAtThree", "001\t010 0001000000\r\n", {}},
    {"SeventeenCharacters", "001 010 000100000\r\n", {}},
    {"NineteenCharacters", "001 010 00010000000\r\n", {}},
    {"LettersOnly", "abc def ghijklmnop\r\n", {"abc def ghijklmnop"}},
    {"FlowControlBytesKept", "001 010 0\x11\x13" "1000000\r\n", {"001 010 0\x11\x13" "1000000"}},
    {"CarriageReturnsStored", "\r\r" + kRecord + "\r\n", {}},
    {"Line275JudgedOnLast19", Repeat('9', 256) + kRecord + "\r\n", {kRecord}},
    {"Line275WithoutBlanksAfterWrap", Repeat(' ', 256) + "0010010000100000000\n", {}},
    {"Line276Rejected", Repeat('9', 257) + kRecord + "\r\n", {}},
    {"Line531JudgedAfterTwoWraps", Repeat('5', 512) + kRecord + "\r\n", {kRecord}},
    {"CutLinePrefixesNext", "001 01" + kRecord + "\r\n", {}},
    {"CutLineThenNextRecord", "001 01" + kRecord + "\r\n" + kRecord + "\r\n", {kRecord}},
    {"TwoRecordsInOrder",
     kRecord + "\r\n002 005 0000000042\r\n",
     {kRecord, "002 005 0000000042"}},
};

class RecordAssemblerTest : public ::testing::TestWithParam<AssemblerCase> {};

TEST_P(RecordAssemblerTest, AcceptsExactlyTheRecords)
{
    CollectingSink sink;
    RecordAssembler assembler(sink);
    for (const char c : GetParam().Bytes)
        assembler.FeedByte(static_cast<uint8_t>(c));
    EXPECT_EQ(sink.Records, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, RecordAssemblerTest, ::testing::ValuesIn(kCases), kRowName);

TEST(RecordAssembler, LineFeedAlwaysReturnsToLengthZero)
{
    CollectingSink sink;
    RecordAssembler assembler(sink);
    for (const std::string& line : {""s, "12345"s, kRecord + "\r", Repeat('x', 300)}) {
        SCOPED_TRACE(line.size());
        for (const char c : line)
            assembler.FeedByte(static_cast<uint8_t>(c));
        EXPECT_EQ(assembler.Length(), line.size() % 256);
        assembler.FeedByte('\n');
        EXPECT_EQ(assembler.Length(), 0);
    }
}

// Random streams with records mixed in: every record gets through, nothing
// else does, and no byte sequence upsets the assembler.
TEST(RecordAssembler, RandomStreamYieldsOnlyRealRecords)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> noise(0, 400);
    CollectingSink sink;
    RecordAssembler assembler(sink);
    std::size_t sent = 0;
    for (int round = 0; round < 2000; ++round) {
        for (int i = noise(random); i > 0; --i)
            assembler.FeedByte(static_cast<uint8_t>(byte(random)));
        for (const char c : "\n" + kRecord + "\r\n")
            assembler.FeedByte(static_cast<uint8_t>(c));
        ++sent;
    }
    std::size_t records = 0;
    for (const std::string& record : sink.Records) {
        ASSERT_EQ(record.size(), 18u);
        EXPECT_EQ(record[3], ' ');
        EXPECT_EQ(record[7], ' ');
        records += record == kRecord;
    }
    EXPECT_EQ(records, sent);
}

}  // namespace
