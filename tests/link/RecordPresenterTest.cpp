#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <string>
#include <vector>

#include "display/Composer.h"
#include "display/Readout.h"
#include "link/window/NoDataTimer.h"
#include "link/sinks/LogSink.h"
#include "link/sinks/RecordLog.h"
#include "link/window/RecordPresenter.h"
#include "link/sinks/TapSink.h"
#include "lmeter/Inductance.h"
#include "tests/support/RowName.h"

namespace {

constexpr char kRecord[] = "001 010 0001000000";
constexpr QRgb kUntouched = qRgb(255, 255, 255);

// A white back buffer and an all-black font: any compose leaves black pixels.
void PrepareImages(ReadoutState& state)
{
    state.Images.FontBitmap = QImage(8 * 18, 16 * 24, QImage::Format_RGB32);
    state.Images.FontBitmap.fill(Qt::black);
    state.Images.BackBitmap = QImage(24 * 18, 4 * 24, QImage::Format_RGB32);
    state.Images.BackBitmap.fill(kUntouched);
}

bool Composed(const ReadoutState& state)
{
    return state.Images.BackBitmap.pixel(0, 0) != kUntouched;
}

// The texts change either way; only a compose touches the back buffer.
TEST(ShowRecord, ExampleRecordGivesTheThreeLines)
{
    for (const bool compose : {true, false}) {
        SCOPED_TRACE(compose);
        ReadoutState state;
        PrepareImages(state);
        EXPECT_EQ(ShowRecord(state, 0.1, 0.1, kRecord, compose), compose);
        EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -");
        EXPECT_STREQ(state.Text.Status, "P.S:[  1] G.T:[ 1.00sec]");
        EXPECT_STREQ(state.Text.Inductance, "L=               0.507uH");
        EXPECT_EQ(state.Indicator.Counter, 1);
        EXPECT_EQ(Composed(state), compose);
    }
}

struct WideFieldRow {
    const char* Name;
    const char* Record;
    const char* Frequency;
    const char* Inductance;
};

class ShowRecordWideField : public ::testing::TestWithParam<WideFieldRow> {};

// The line shows dashes beyond nine digits; the inductance takes the unsigned 32-bit value.
TEST_P(ShowRecordWideField, DashesAndTheUnsignedInductance)
{
    ReadoutState state;
    PrepareImages(state);
    ShowRecord(state, 0.000001, 0.000001, GetParam().Record, false);
    EXPECT_STREQ(state.Text.Frequency, GetParam().Frequency);
    EXPECT_STREQ(state.Text.Inductance, GetParam().Inductance);
}

INSTANTIATE_TEST_SUITE_P(
    TenDigits, ShowRecordWideField,
    ::testing::Values(
        WideFieldRow{"ThreeBillion", "001 010 3000000000", "---,---,---Hz -", "L=               0.006uH"},
        WideFieldRow{"LargestUnsigned", "001 010 4294967295", "---,---,---Hz -", "L=               0.003uH"},
        WideFieldRow{"FiveBillionWraps", "001 010 5000000000", "---,---,---Hz -", "L=               0.102uH"},
        WideFieldRow{"NineDigits", "001 010 0999999999", "999,999,999Hz -", "L=               0.051uH"}),
    kRowName);

TEST(ShowNoData, WritesTheTextWithTheRawIndicator)
{
    for (const bool compose : {true, false}) {
        SCOPED_TRACE(compose);
        ReadoutState state;
        PrepareImages(state);
        ShowRecord(state, 0.1, 0.1, kRecord, false);
        const std::string status = state.Text.Status;
        EXPECT_EQ(ShowNoData(state, compose), compose);
        EXPECT_EQ(std::string(state.Text.Frequency, 15), std::string("Not ReceiveHz \x01", 15));
        EXPECT_EQ(state.Text.Frequency[15], '\0');
        EXPECT_EQ(state.Text.Status, status);
        EXPECT_EQ(Composed(state), compose);
    }
}

// One read of count records, the n-th stamped at n ms.
std::vector<Reading> Read(int count = 1)
{
    std::vector<Reading> readings(static_cast<size_t>(count));
    for (size_t i = 0; i < readings.size(); ++i) {
        std::memcpy(readings[i].Record, kRecord, sizeof kRecord);
        readings[i].Stamp = {1796644800000 + static_cast<int64_t>(i), static_cast<int64_t>(i) * 1000};
    }
    return readings;
}

// A presenter on a readout with prepared images; records the posted connections.
struct PresenterRig {
    PresenterRig()
    {
        readout.With([](ReadoutState& state) { PrepareImages(state); });
    }
    Readout readout;
    NoDataTimer watchdog{nullptr};
    std::vector<uint64_t> posts;
    RecordPresenter presenter{readout, watchdog,
                              [this](uint64_t connection) { posts.push_back(connection); }};
};

// The window composes when it takes the changes; the receive thread never draws.
TEST(RecordPresenter, WritesTheLinesWithoutComposingAndPosts)
{
    PresenterRig rig;
    rig.presenter.OnReceiving(42);
    rig.presenter.OnRecords(Read());
    EXPECT_EQ(rig.posts, std::vector<uint64_t>{42});
    rig.readout.With([&](ReadoutState& state) {
        EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -");
        EXPECT_FALSE(Composed(state));
        EXPECT_TRUE(state.Dirty.isEmpty());
    });
}

TEST(RecordPresenter, UsesTheCurrentCapacitors)
{
    PresenterRig rig;
    rig.readout.With([](ReadoutState& state) { state.C1 = state.C2 = 0.2; });
    rig.presenter.OnRecords(Read());
    rig.readout.With([](ReadoutState& state) {
        EXPECT_STREQ(state.Text.Inductance, "L=               0.253uH");
    });
}

// The window re-opens the hand-off when it takes the changes at its paint:
// however many records come in between, the window thread is woken once.
TEST(RecordPresenter, ABurstBetweenTwoPaintsCostsOneHandOff)
{
    PresenterRig rig;
    RecordPresenter& presenter = rig.presenter;
    std::vector<uint64_t>& posts = rig.posts;
    presenter.OnReceiving(7);
    for (int i = 0; i < 100; ++i)
        presenter.OnRecords(Read());
    EXPECT_EQ(posts, std::vector<uint64_t>{7});
    presenter.ReopenHandOff();
    for (int i = 0; i < 100; ++i)
        presenter.OnRecords(Read());
    EXPECT_EQ(posts, (std::vector<uint64_t>{7, 7}));
    EXPECT_TRUE(presenter.HoldHandOff()) << "records came since the reopen";
    presenter.OnRecords(Read());
    EXPECT_EQ(posts.size(), 2u) << "while held, the window looks again by itself";
    EXPECT_TRUE(presenter.HoldHandOff());
    EXPECT_FALSE(presenter.HoldHandOff()) << "no record since the last hold";
    presenter.ReopenHandOff();
    presenter.OnRecords(Read());
    presenter.OnReceiving(8);
    presenter.OnRecords(Read());
    EXPECT_EQ(posts, (std::vector<uint64_t>{7, 7, 7, 8})) << "a new connection posts its first record";
    // Every record was shown: the 203rd leaves the indicator at '-'.
    rig.readout.With([](ReadoutState& state) { EXPECT_STREQ(state.Text.Frequency, "  1,000,000Hz -"); });
}

// The receive thread reads just before the window looks by itself, and as
// soon as it gathered the records while records wake the window.
TEST(RecordPresenter, WantsTheRecordsJustBeforeTheWindowLooks)
{
    using std::chrono::milliseconds;
    PresenterRig rig;
    const auto look = std::chrono::steady_clock::now() + milliseconds(40);
    EXPECT_EQ(rig.presenter.WantedBy(look - milliseconds(40)), std::nullopt);
    rig.presenter.LookAt(look, milliseconds(40));
    EXPECT_EQ(rig.presenter.WantedBy(look - milliseconds(40)), look - milliseconds(3));
    EXPECT_EQ(rig.presenter.WantedBy(look - milliseconds(1)), look + milliseconds(37)) << "the next frame's";
    rig.presenter.ReopenHandOff();
    EXPECT_EQ(rig.presenter.WantedBy(look), look + milliseconds(35)) << "records wake the window";
}

// Of one read, the last record's lines show, with the indicator advanced by every record.
TEST(RecordPresenter, AReadShowsItsLastRecordAfterAdvancingTheIndicatorForEach)
{
    PresenterRig rig;
    std::vector<Reading> read = Read(2);
    std::memcpy(read[1].Record, "002 100 0000012345", 18);
    rig.presenter.OnRecords(read);
    rig.readout.With([](ReadoutState& state) {
        EXPECT_STREQ(state.Text.Frequency, "     12,345Hz |");
        EXPECT_STREQ(state.Text.Status, "P.S:[  2] G.T:[10.00sec]");
    });
}

// A read whose records leave the lines as the window last composed them wakes nobody.
TEST(RecordPresenter, AReadThatShowsNothingNewPostsNothing)
{
    PresenterRig rig;
    rig.readout.With([](ReadoutState& state) { state.Images.BackBitmap = QImage(432, 96, QImage::Format_RGB32); });
    const auto read = [&rig](int records) { rig.presenter.OnRecords(Read(records)); };
    read(1);
    rig.readout.With([](ReadoutState& state) { ComposeReadout(state); });
    rig.presenter.ReopenHandOff();
    read(2);
    EXPECT_EQ(rig.posts.size(), 1u) << "the indicator flipped there and back";
    read(1);
    EXPECT_EQ(rig.posts.size(), 2u);
}

// Readings reach the statistics only while the tap is open, stamped as the log's rows.
TEST(TapSink, GetsTheLoggedStampsOnlyWhileOpen)
{
    Readout readout;
    auto queue = std::make_shared<LogQueue>();
    LogSink log;
    TapSink tap(readout);
    log.Set(std::make_shared<RecordLog>(queue));
    readout.With([](ReadoutState& state) { state.C1 = state.C2 = 0.1; });
    std::vector<TappedReading> taken;
    const auto read = [&](int count) {
        const std::vector<Reading> readings = Read(count);
        log.OnRecords(readings);
        tap.OnRecords(readings);
    };
    read(1);
    tap.Tap().Open();
    read(1);
    readout.With([](ReadoutState& state) { state.LMeterVisible = 1; });
    read(2);
    EXPECT_EQ(tap.Tap().Take(taken), 0u);
    tap.Tap().Close();
    read(1);
    std::deque<LogRow> rows;
    queue->WaitAndTake(rows);
    ASSERT_EQ(rows.size(), 5u);
    ASSERT_EQ(taken.size(), 3u);
    for (size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i].sample.tS, rows[i + 1].elapsedUs / 1e6);
        EXPECT_EQ(taken[i].sample.frequencyHz, 1e6);
        EXPECT_EQ(taken[i].sample.gateMs, 1000u);
    }
    EXPECT_EQ(taken[2].sample.tS, 0.001) << "the second reading of its read";
    EXPECT_FALSE(taken[0].inductanceUh) << "the L meter's line was hidden";
    EXPECT_EQ(taken[1].inductanceUh, ComputeInductance(1000000, 0.1, 0.1));
    EXPECT_FALSE(rows[0].inductanceUh) << "a log sink without capacitors leaves the column empty";
}

}  // namespace
