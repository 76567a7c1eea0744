#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/receive/ReadPacer.h"
#include "link/receive/RecordAssembler.h"
#include "log/LogClock.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/RowName.h"

namespace {

using std::chrono::microseconds;

const std::string kLine = "001 010 0001000000\r\n";
const ReadPacer::Clock::time_point kStart{};

// One read: woken at wokeUs after waitedUs for a first byte, or gathered (-1); read at readUs.
struct Read { long WokeUs; long ReadUs; std::string Bytes; long WaitedUs = 1000; };

struct StampRow {
    const char* Name;
    std::vector<Read> Reads;
    std::vector<int64_t> Stamps;  // as the log gives them: us after kStart, then the +1 us rule
};

class RecordStamps : public ::testing::TestWithParam<StampRow> {};

// At 115 200 baud a byte takes 86.805 us, a record 1 736.1 us.
TEST_P(RecordStamps, LieWhereTheLastByteBecameReadable)
{
    ReadPacer pacer(115200);
    RecordingSink sink;
    RecordAssembler assembler(sink);
    for (const Read& read : GetParam().Reads) {
        EXPECT_EQ(pacer.Gathering(), read.WokeUs < 0);
        const auto woke = kStart + microseconds(read.WokeUs);
        std::optional<ReadPacer::FirstByteWait> wait;
        if (read.WokeUs >= 0)
            wait = ReadPacer::FirstByteWait{woke - microseconds(read.WaitedUs), woke};
        const ReadPass pass = pacer.Took(wait, kStart + microseconds(read.ReadUs), read.Bytes.size());
        assembler.Feed(reinterpret_cast<const uint8_t*>(read.Bytes.data()), read.Bytes.size(), pass);
    }
    std::vector<int64_t> stamps;
    for (int64_t last = -1; const auto readable : sink.Stamps()) {
        const auto us = std::chrono::duration_cast<microseconds>(readable - kStart).count();
        stamps.push_back(last = NextStampUs(us, last));
    }
    EXPECT_EQ(stamps, GetParam().Stamps);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, RecordStamps,
    ::testing::Values(
        StampRow{"OneRecord", {{1000, 1020, kLine}}, {1000}},
        StampRow{"ThreeRecordsInOneWrite", {{1000, 1020, kLine + kLine + kLine}}, {1000, 1001, 1002}},
        StampRow{"SplitOverTwoWakeUps", {{1000, 1010, kLine.substr(0, 9)}, {50000, 50010, kLine.substr(9)}},
                 {50000}},
        StampRow{"BurstAtTheLineRate",
                 {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 9900, kLine + kLine + kLine + kLine}},
                 {1000, 2736, 4472, 6208, 7944, 9680}},
        StampRow{"BurstSplitOverTwoGatherings",
                 {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 5736, kLine + kLine.substr(0, 9)},
                  {-1, 7000, kLine.substr(9)}},
                 {1000, 2736, 4472, 6208}},
        StampRow{"PauseEndsTheGathering", {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 9900, ""},
                                           {30000, 30010, kLine}},
                 {1000, 2736, 30000}},
        StampRow{"LagBehindTheLineEndsTheGathering",
                 {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 9900, kLine}, {30000, 30010, kLine}},
                 {1000, 2736, 4472, 30000}},
        StampRow{"AlreadyThereAfterALateRead",
                 {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 10900, kLine + kLine + kLine + kLine},
                  {11500, 11510, kLine, 2}},
                 {1000, 2736, 4472, 6208, 7944, 9680, 11416}},
        StampRow{"FasterThanTheLineAtTheRead",
                 {{1000, 1010, kLine}, {2736, 2740, kLine}, {-1, 3000, kLine + kLine + kLine}},
                 {1000, 2736, 3000, 3001, 3002}}),
    kRowName);

struct GatherRow {
    const char* Name;
    std::optional<long> WantedUs;
    long ReadUs;
};

class GatheringRead : public ::testing::TestWithParam<GatherRow> {};

// After records at 1 000 and 2 736 us, asked at 2 740 us: the read comes when a
// whole record has come, and no later than the records are wanted or kLongestGather.
TEST_P(GatheringRead, EndsJustAfterARecordByTheTimeWanted)
{
    ReadPacer pacer(115200);
    pacer.Took(ReadPacer::FirstByteWait{kStart, kStart + microseconds(1000)}, kStart + microseconds(1010), 20);
    pacer.Took(ReadPacer::FirstByteWait{kStart, kStart + microseconds(2736)}, kStart + microseconds(2740), 20);
    std::optional<ReadPacer::Clock::time_point> wanted;
    if (GetParam().WantedUs)
        wanted = kStart + microseconds(*GetParam().WantedUs);
    const auto read = pacer.GatherUntil(kStart + microseconds(2740), wanted);
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(read - kStart).count(), GetParam().ReadUs);
}

INSTANTIATE_TEST_SUITE_P(Wanted, GatheringRead,
                         ::testing::Values(GatherRow{"AsSoonAsGathered", std::nullopt, 9740},
                                           GatherRow{"SoonerThanAGathering", 5000, 9740},
                                           GatherRow{"AfterFifteenRecords", 30000, 28977},
                                           GatherRow{"AtMostTheLongestGathering", 90000, 42740}),
                         kRowName);

}  // namespace
