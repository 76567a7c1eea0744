#include <gtest/gtest.h>

#include <algorithm>

#include "link/window/CounterLink.h"
#include "link/receive/ReceiveThread.h"
#include "tests/app/AppTestSupport.h"
#include "tests/soak/RecordFlow.h"
#include "tests/soak/SoakSupport.h"

namespace {

constexpr int kCycles = 1000;

// What the cycles saw; counts stay 0 in a sound run.
struct CycleOutcome {
    std::vector<double> StopMs;
    int ForcedEnds = 0;       // a stop at the thread's limit, or its thread still there
    int FlagsLeftSet = 0;     // StopRequested non-zero after a stop
    int CyclesWithoutRecord = 0;
};

// Other libraries start and retire threads of their own (Qt's pool): count ours.
int ReceiveThreadCount()
{
    return ThreadCountNamed(ReceiveThread::kThreadName);
}

// One connection of the window's link: connect, see a record arrive, stop.
void RunCycle(CCounterDisplayDlg& window, CycleOutcome& outcome)
{
    CounterLink& link = window.Link();
    if (!link.Connect(kPort, kBaud115200)) {
        ++outcome.CyclesWithoutRecord;
        return;
    }
    const std::string before = FrequencyLine(window);
    if (!WaitUntil([&] { return FrequencyLine(window) != before; }))
        ++outcome.CyclesWithoutRecord;
    const auto stopTime = TimeOf([&] { link.Disconnect(); });
    outcome.StopMs.push_back(stopTime.count());
    // Only an abandoned thread lets the stop run into its limit.
    if (stopTime >= ReceiveThread::kStopLimit)
        ++outcome.ForcedEnds;
    if (link.StopRequested().load() != 0)
        ++outcome.FlagsLeftSet;
}

TEST(ConnectCycleTest, ThousandCyclesWhileRecordsFlowLeaveNothingBehind)
{
    MessageBoxRecorder boxes;
    CounterPty pty;
    WindowUnderTest window(PortIni(pty.SlavePath()));
    ASSERT_TRUE(window.Start());
    SimulatorOptions options = FastRecords(1000000);
    options.Generator.FrequencyMode = GeneratorOptions::Mode::Sweep;
    RecordFlow flow(pty, options);

    CycleOutcome warmUp;
    RunCycle(window.Window(), warmUp);  // first-use allocations of Qt and the libraries
    ASSERT_EQ(warmUp.CyclesWithoutRecord, 0);
    const int descriptors = OpenDescriptorCount();

    CycleOutcome outcome;
    outcome.StopMs.reserve(kCycles);
    for (int cycle = 0; cycle < kCycles && outcome.CyclesWithoutRecord == 0; ++cycle)
        RunCycle(window.Window(), outcome);

    ASSERT_EQ(outcome.CyclesWithoutRecord, 0);
    ASSERT_EQ(outcome.StopMs.size(), static_cast<std::size_t>(kCycles));
    const double longest = *std::max_element(outcome.StopMs.begin(), outcome.StopMs.end());
    RecordProperty("stop_median_us", std::to_string(Median(outcome.StopMs) * 1000));
    RecordProperty("stop_max_us", std::to_string(longest * 1000));
    const std::chrono::duration<double, std::milli> bound = kStopBound;
    EXPECT_LT(longest, bound.count());
    EXPECT_EQ(outcome.ForcedEnds, 0);
    EXPECT_EQ(outcome.FlagsLeftSet, 0);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    // A joined thread leaves /proc a moment after the join returns.
    EXPECT_TRUE(WaitUntil([] { return ReceiveThreadCount() == 0; }));
    EXPECT_TRUE(boxes.Boxes().empty());
    flow.Stop();
}

}  // namespace
