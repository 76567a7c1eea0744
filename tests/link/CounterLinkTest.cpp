#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QtCore/qtestsupport_core.h>
#include <atomic>
#include <thread>

#include "display/Readout.h"
#include "link/window/CounterLink.h"
#include "lmeter/Inductance.h"
#include "link/sinks/RecordLog.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/RowName.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/CounterSimulator.h"

namespace {

constexpr int kPort = 4;
constexpr int kBaud115200 = 11;
const std::string kLine = "001 010 0001000000\r\n";
const std::string kLastLine = "001 010 0002000000\r\n";

// count copies of kLine, then kLastLine.
std::string Records(int count)
{
    std::string records;
    for (int i = 0; i < count; ++i)
        records += kLine;
    return records + kLastLine;
}

// What the main window does with the link, reduced to counters.
class CounterLinkTest : public ::testing::Test {
protected:
    CounterLinkTest()
    {
        QObject::connect(&link, &CounterLink::RecordsWaiting, [this] { OnRecordsWaiting(); });
        QObject::connect(&link, &CounterLink::NoDataTimerFired, [this] { OnTimer(); });
    }

    std::string FrequencyLine()
    {
        return readout.With([](ReadoutState& state) { return std::string(state.Text.Frequency); });
    }

    // The window's OnTimer: no-data text, compose unless stopping, invalidate.
    void OnTimer()
    {
        ++noDataCount;
        readout.With([](ReadoutState& state) { WriteNoDataText(state.Text, state.Indicator); });
    }

    // The window's disconnect branch after the link's part.
    void DisconnectAsTheWindowDoes()
    {
        link.Disconnect();
        readout.With([](ReadoutState& state) { ResetReadoutText(state.Text); });
        link.KillNoDataTimer();
    }

    TempDir dir;
    CounterPty pty;
    Readout readout;
    // The window's paint slot, taken at once unless a test holds it back.
    void OnRecordsWaiting()
    {
        ++handOffs;
        if (takeRecords)
            link.TakeRecords();
    }

    bool ShowsLastLine() { return FrequencyLine().substr(0, 13) == "  2,000,000Hz"; }

    int handOffs = 0;
    bool takeRecords = true;
    int noDataCount = 0;
    CounterLink link{readout, WritePortIni(dir, kPort, pty.SlavePath())};
};

struct RefusedConnect {
    const char* Name;
    int Port;
    int BaudIndex;
    OpenRefusal Why;
};

class CounterLinkRefusedTest : public CounterLinkTest,
                               public ::testing::WithParamInterface<RefusedConnect> {};

TEST_P(CounterLinkRefusedTest, StaysDisconnected)
{
    EXPECT_FALSE(link.Connect(GetParam().Port, GetParam().BaudIndex));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.TimerForTest().IsActive());
    EXPECT_FALSE(link.ThreadForTest().IsRunning());
    EXPECT_EQ(link.LastConnectFailure().Why, GetParam().Why);
}

INSTANTIATE_TEST_SUITE_P(Choices, CounterLinkRefusedTest,
                         ::testing::Values(RefusedConnect{"PortZero", 0, 6, OpenRefusal::NoPortSelected},
                                           RefusedConnect{"NoSpeedChosen", kPort, -1, OpenRefusal::NoSpeedSelected},
                                           RefusedConnect{"SpeedPastTheTable", kPort, 12, OpenRefusal::NoSpeedSelected},
                                           RefusedConnect{"MissingDevice", 9, 6, OpenRefusal::NoSuchDevice}),
    kRowName);

TEST_F(CounterLinkTest, RecordsAreShownAndRestartTheWatchdog)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.TimerForTest().IsActive());
    ASSERT_TRUE(pty.Write(Records(2)));
    EXPECT_TRUE(WaitUntil([&] { return ShowsLastLine() && handOffs > 0; }));
    EXPECT_EQ(FrequencyLine(), "  2,000,000Hz -") << "three records: -, |, -";
    EXPECT_LE(handOffs, 3);
    EXPECT_TRUE(link.TimerForTest().IsActive());
    DisconnectAsTheWindowDoes();
    EXPECT_FALSE(link.IsOpen());
}

// While a log is set, every shown record also becomes a row with the read-out's C1/C2;
// the log, the statistics and any other sink get each read at once, with the same stamps.
TEST_F(CounterLinkTest, RecordsGoToTheLogWithTheReadoutsCapacitors)
{
    auto queue = std::make_shared<LogQueue>();
    readout.With([](ReadoutState& state) { state.C1 = 0.1, state.C2 = 0.3; });
    link.SetLog(std::make_shared<RecordLog>(queue));
    SessionRecorder recorder;
    link.SessionForTest().AddSink(recorder);
    link.Readings().Open();
    std::atomic<int> reads{0};
    link.ThreadForTest().SetAfterWaitHookForTest([&reads] { ++reads; });
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    ASSERT_TRUE(pty.Write(Records(2)));
    ASSERT_TRUE(WaitUntil([&] { return ShowsLastLine(); }));
    DisconnectAsTheWindowDoes();
    std::deque<LogRow> rows;
    ASSERT_TRUE(queue->WaitAndTake(rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].frequencyHz, 2000000u);
    EXPECT_EQ(rows[2].inductanceUh, ComputeInductance(2000000, 0.1, 0.3));
    EXPECT_EQ(rows[2].gateMs, 1000u);
    std::vector<TappedReading> tapped;
    link.Readings().Take(tapped);
    std::vector<int64_t> stamps;
    for (const std::vector<int64_t>& read : recorder.Reads())
        stamps.insert(stamps.end(), read.begin(), read.end());
    ASSERT_EQ(tapped.size(), 3u);
    ASSERT_EQ(stamps.size(), 3u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(stamps[i], rows[i].elapsedUs);
        EXPECT_EQ(tapped[i].sample.tS, rows[i].elapsedUs / 1e6);
    }
    EXPECT_LE(recorder.Reads().size(), static_cast<size_t>(reads.load())) << "one hand-on per read at most";
    EXPECT_EQ(recorder.events, std::vector<SessionEvent>{SessionEvent::End});
}

TEST_F(CounterLinkTest, WatchdogFiresOnceAfterItsInterval)
{
    link.TimerForTest().SetIntervalForTest(200);
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    EXPECT_TRUE(WaitUntil([&] { return noDataCount > 0; }));
    EXPECT_EQ(FrequencyLine().substr(0, 13), "Not ReceiveHz");
    EXPECT_FALSE(link.TimerForTest().IsActive());
    QTest::qWait(1000);  // five intervals in which it must stay quiet
    EXPECT_EQ(noDataCount, 1);
    ASSERT_TRUE(pty.Write(kLine));
    EXPECT_TRUE(WaitUntil([&] { return noDataCount == 2; }))
        << "a record after the no-data text re-arms the watchdog";
    DisconnectAsTheWindowDoes();
}

TEST_F(CounterLinkTest, RecordsWhileTheWindowHasNotTakenThemCostNoHandOff)
{
    takeRecords = false;
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    ASSERT_TRUE(pty.Write(Records(99)));
    EXPECT_TRUE(WaitUntil([&] { return ShowsLastLine() && handOffs > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(handOffs, 1);
    link.TakeRecords();
    ASSERT_TRUE(pty.Write(kLine));
    EXPECT_TRUE(WaitUntil([&] { return handOffs == 2; }));
    DisconnectAsTheWindowDoes();
}

// The watchdog follows the records' times, not the hand-offs: held-back
// hand-offs must neither let it fire while records flow nor keep it quiet after.
TEST_F(CounterLinkTest, WatchdogFollowsRecordsWithoutHandOffs)
{
    takeRecords = false;
    link.TimerForTest().SetIntervalForTest(1000);
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(pty.Write(kLine));
        QTest::qWait(100);
    }
    EXPECT_EQ(noDataCount, 0);
    EXPECT_TRUE(link.TimerForTest().IsActive());
    EXPECT_EQ(handOffs, 1);
    EXPECT_TRUE(WaitUntil([&] { return noDataCount == 1; }));
    DisconnectAsTheWindowDoes();
}

TEST_F(CounterLinkTest, SecondConnectionReceivesLikeTheFirst)
{
    for (int connection = 1; connection <= 3; ++connection) {
        SCOPED_TRACE(connection);
        handOffs = 0;
        ASSERT_TRUE(link.Connect(kPort, kBaud115200));
        ASSERT_TRUE(pty.Write(Records(49)));
        EXPECT_TRUE(WaitUntil([&] { return ShowsLastLine() && handOffs > 0; }));
        DisconnectAsTheWindowDoes();
        EXPECT_EQ(link.StopRequested().load(), 0);
    }
}

TEST_F(CounterLinkTest, NoDataTextNeverFollowsADisconnect)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    SimulatorOptions options;
    options.Baud = 115200;
    std::atomic<bool> stop{false};
    std::thread counter([&] { RunSimulator(pty, options, stop); });
    EXPECT_TRUE(WaitUntil([&] { return handOffs >= 20; }));
    DisconnectAsTheWindowDoes();
    const int handOffsBefore = handOffs;
    const std::string idle = FrequencyLine();
    QTest::qWait(6000);  // longer than the real 5000 ms watchdog
    EXPECT_EQ(noDataCount, 0);
    EXPECT_EQ(handOffs, handOffsBefore);
    EXPECT_EQ(FrequencyLine(), idle);
    EXPECT_EQ(idle, kInitialFrequencyLine);
    EXPECT_FALSE(link.TimerForTest().IsActive());
    stop = true;
    counter.join();
}

TEST_F(CounterLinkTest, DisconnectAfterHangUpWorks)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud115200));
    link.TimerForTest().SetIntervalForTest(300);
    link.TimerForTest().Restart();
    pty.HangUp();
    EXPECT_TRUE(WaitUntil([&] { return noDataCount == 1; }));
    DisconnectAsTheWindowDoes();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.StopRequested().load(), 0);
}

}  // namespace
