#include <gtest/gtest.h>

#include <QTest>

#include "app/CommandTexts.h"
#include "link/window/CounterLink.h"
#include "res/Menu131.h"
#include "tests/app/AppTestSupport.h"
#include "tests/soak/RecordFlow.h"
#include "tests/soak/SoakSupport.h"

namespace {

const std::string kOneMegahertz = "  1,000,000Hz";
const std::string kNewDeviceFrequency = "123,456,789Hz";
const std::string kNoData = "Not ReceiveHz";

bool Shows(CCounterDisplayDlg& window, const std::string& prefix)
{
    return FrequencyLine(window).rfind(prefix, 0) == 0;
}

// The counter is pulled out while it sends: the simulator closes its end of
// the pseudo-terminal after 300 records at 115200 baud.
TEST(UnplugTest, HangUpWhileRecordsFlowThenANewDeviceReceives)
{
    MessageBoxRecorder boxes;
    CounterPty first;
    WindowUnderTest window(PortIni(first.SlavePath()));
    ASSERT_TRUE(window.Start());
    ConnectThroughDialog(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());

    SimulatorOptions options = FastRecords(1000000);
    options.HangUpAfter = 300;
    RecordFlow flow(first, options);
    ASSERT_TRUE(WaitUntil([&] { return flow.Finished(); }));
    const auto hungUpAt = std::chrono::steady_clock::now();
    EXPECT_EQ(flow.Sent(), 300u);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(WaitUntil([&] { return Shows(window.Window(), kOneMegahertz); }));

    const double cpuBefore = ProcessCpuSeconds();
    QTest::qWait(1000);  // the measurement window, not a wait for an event
    const double cpuUsed = ProcessCpuSeconds() - cpuBefore;
    EXPECT_GE(cpuBefore, 0.0);
    EXPECT_LT(cpuUsed, 0.25) << "the process spins on the vanished device";
    EXPECT_TRUE(window->Link().IsOpen()) << "a hang-up alone does not close the port";

    ASSERT_TRUE(WaitUntil([&] { return Shows(window.Window(), kNoData); }));
    const auto silence = std::chrono::steady_clock::now() - hungUpAt;
    EXPECT_GE(silence, 4500ms) << "the watchdog fired before its 5000 ms";
    EXPECT_FALSE(window->Link().TimerForTest().IsActive()) << "the no-data text comes once";
    EXPECT_TRUE(boxes.Boxes().empty());

    const auto stopTime = TimeOf([&] { window->OnCommand(ID_CONNECT); });
    EXPECT_LT(stopTime, kStopBound);
    EXPECT_EQ(boxes.Texts(), std::vector<QString>{QString::fromUtf8(kClosePortQuestion)});
    EXPECT_FALSE(window->Link().IsOpen());
    EXPECT_EQ(window->Link().StopRequested().load(), 0);
    EXPECT_EQ(FrequencyLine(window.Window()), kInitialFrequencyLine);

    CounterPty second;
    WriteWholeFile(window.IniPath(), PortIni(second.SlavePath()));
    ConnectThroughDialog(window.Window());
    ASSERT_TRUE(window->Link().IsOpen()) << "the new device does not open";
    RecordFlow newFlow(second, FastRecords(123456789));
    EXPECT_TRUE(WaitUntil([&] { return Shows(window.Window(), kNewDeviceFrequency); }));
    EXPECT_TRUE(window->Link().TimerForTest().IsActive());
    EXPECT_LT(TimeOf([&] { window->OnCommand(ID_CONNECT); }), kStopBound);
    EXPECT_FALSE(window->Link().IsOpen());
    newFlow.Stop();
}

}  // namespace
