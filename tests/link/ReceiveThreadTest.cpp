#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "link/port/CSerialPort.h"
#include "link/receive/ReadPacer.h"
#include "link/receive/ReceiveThread.h"
#include "link/receive/RecordAssembler.h"
#include "tests/link/LinkTestSupport.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/RecordGenerator.h"

namespace {

constexpr int kPort = 7;
const std::string kLine = "001 010 0001000000\r\n";

class ReceiveThreadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(port.Open(kPort, 115200), 1); }

    void StartThread() { thread.Start(port.GetHandle()); }

    // Waits until the thread has taken every byte out of the port.
    bool PortDrained()
    {
        return WaitUntil([&] {
            int pending = 0;
            return ::ioctl(port.GetHandle(), FIONREAD, &pending) == 0 && pending == 0;
        });
    }

    TempDir dir;
    CounterPty pty;
    CSerialPort port{WritePortIni(dir, kPort, pty.SlavePath()), dir.Path()};
    RecordingSink sink;
    RecordAssembler assembler{sink};
    std::atomic<int32_t> stopRequested{0};
    ReceiveThread thread{assembler, stopRequested};
};

TEST_F(ReceiveThreadTest, LineSplitAtAnyPointArrivesWhole)
{
    StartThread();
    for (std::size_t split = 1; split < kLine.size(); ++split) {
        SCOPED_TRACE(split);
        ASSERT_TRUE(pty.Write(kLine.substr(0, split)));
        ASSERT_TRUE(PortDrained());
        ASSERT_TRUE(pty.Write(kLine.substr(split)));
        ASSERT_TRUE(sink.WaitFor(split));
        EXPECT_EQ(sink.Records().back(), kLine.substr(0, 18));
    }
    EXPECT_TRUE(thread.StopReceiveThread());
}

// A long burst at the line's rate, which the thread takes in gatherings, and
// one write far larger than a read.
TEST_F(ReceiveThreadTest, RecordsArriveInOrderWithRisingStamps)
{
    GeneratorOptions options;
    options.FrequencyMode = GeneratorOptions::Mode::Sweep;
    options.SweepStep = 1;
    RecordGenerator generator(options);
    std::vector<std::string> expected;
    std::string rest;
    StartThread();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3000; ++i) {
        const std::string line = generator.Next();
        expected.push_back(line.substr(0, 18));
        if (i >= 2000) {
            rest += line;  // the tail in one write
            continue;
        }
        std::this_thread::sleep_until(start + i * std::chrono::microseconds(1736));
        ASSERT_TRUE(pty.Write(line));
    }
    ASSERT_TRUE(pty.Write(rest));
    ASSERT_TRUE(sink.WaitFor(expected.size()));
    EXPECT_EQ(sink.Records(), expected);
    const auto stamps = sink.Stamps();
    EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end()));
    EXPECT_TRUE(thread.StopReceiveThread());
}

// On a quiet line whatever one write brings is taken with one wait and one
// read, and fed at once: the thread lets nothing gather. Each piece is written
// once the thread has taken the one before and the line has been quiet for
// longer than a gathering tolerates.
TEST_F(ReceiveThreadTest, EachArrivalOnAQuietLineCostsOneWaitAndOneRead)
{
    struct Arrival {
        const char* Name;
        std::vector<std::string> Pieces;
    };
    const Arrival arrivals[] = {
        {"a record in one write", {kLine}},
        {"three records in one write", {kLine + kLine + kLine}},
        {"a record in two writes", {kLine.substr(0, 9), kLine.substr(9)}},
    };
    std::atomic<int> waits{0};
    std::atomic<pid_t> threadId{0};
    thread.SetAfterWaitHookForTest([&] {
        threadId = gettid();
        ++waits;
    });
    for (const Arrival& arrival : arrivals) {
        SCOPED_TRACE(arrival.Name);
        const std::size_t recordsBefore = sink.Records().size();
        StartThread();
        ASSERT_TRUE(pty.Write(kLine));  // the thread's first pass, before counting
        ASSERT_TRUE(sink.WaitFor(recordsBefore + 1));
        const int waitsBefore = waits.load();
        const auto readsSince = [&, before = ThreadReadCalls(threadId.load())] {
            return ThreadReadCalls(threadId.load()) - before;
        };
        std::size_t bytes = 0;
        long long pieces = 0;
        for (const std::string& piece : arrival.Pieces) {
            std::this_thread::sleep_for(10 * ReadPacer::kLagLimit);
            ASSERT_TRUE(pty.Write(piece));
            ++pieces;
            ASSERT_TRUE(WaitUntil([&] { return readsSince() >= pieces; }));
            bytes += piece.size();
        }
        ASSERT_TRUE(sink.WaitFor(recordsBefore + 1 + bytes / kLine.size()));
        EXPECT_EQ(waits.load() - waitsBefore, pieces);
        EXPECT_EQ(readsSince(), pieces);
        ASSERT_TRUE(thread.StopReceiveThread());
    }
}

TEST_F(ReceiveThreadTest, StopDuringReadIsAcknowledgedAndFeedsWhatWasRead)
{
    StartThread();
    std::atomic<bool> trickle{true};
    // One byte every few milliseconds keeps the thread going between wait and read.
    std::thread writer([&] {
        std::size_t i = 0;
        while (trickle.load()) {
            pty.Write(kLine.substr(i++ % kLine.size(), 1));
            std::this_thread::sleep_for(3ms);
        }
    });
    ASSERT_TRUE(sink.WaitFor(3));
    EXPECT_TRUE(thread.StopReceiveThread()) << "ended by force";
    EXPECT_EQ(stopRequested.load(), 0);
    trickle = false;
    writer.join();
    for (const std::string& record : sink.Records())
        EXPECT_EQ(record, kLine.substr(0, 18));
}

TEST_F(ReceiveThreadTest, HungUpDeviceLeavesTheThreadIdle)
{
    StartThread();
    ASSERT_TRUE(pty.Write(kLine));
    ASSERT_TRUE(sink.WaitFor(1));
    const pthread_t worker = thread.NativeHandleForTest();
    pty.HangUp();
    const double before = ThreadCpuSeconds(worker);
    std::this_thread::sleep_for(1s);  // the measurement window, not a wait for an event
    const double used = ThreadCpuSeconds(worker) - before;
    EXPECT_GE(before, 0.0);
    EXPECT_LT(used, 0.1) << "the thread spins on the hung-up port";
    EXPECT_TRUE(thread.StopReceiveThread());
    EXPECT_EQ(sink.Records().size(), 1u);
}

TEST_F(ReceiveThreadTest, StuckThreadIsAbandonedAndDoesNoFurtherWork)
{
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> blockNextWait{true};
    thread.SetAfterWaitHookForTest([&, released] {
        if (blockNextWait.exchange(false)) {
            entered.set_value();
            released.wait();
        }
    });
    const int descriptorsBefore = OpenDescriptorCount();
    StartThread();
    ASSERT_TRUE(pty.Write("x"));
    entered.get_future().wait();
    EXPECT_FALSE(thread.StopReceiveThread()) << "a stuck thread cannot acknowledge";
    EXPECT_EQ(stopRequested.load(), 0);
    port.Close();
    release.set_value();
    EXPECT_TRUE(WaitUntil([&] { return OpenDescriptorCount() == descriptorsBefore - 1; }))
        << "the abandoned thread closes its own descriptors";
    EXPECT_TRUE(sink.Records().empty());
    EXPECT_EQ(assembler.Length(), 0) << "the abandoned thread fed a byte";
}

TEST_F(ReceiveThreadTest, CutLinePrefixesTheNextConnectionsFirstLine)
{
    const std::string marker = "999 999 0000000999\r\n";
    StartThread();
    ASSERT_TRUE(pty.Write(kLine + "001 01"));
    ASSERT_TRUE(sink.WaitFor(1));
    ASSERT_TRUE(PortDrained());
    ASSERT_TRUE(thread.StopReceiveThread());
    port.Close();
    ASSERT_EQ(port.Open(kPort, 115200), 1);
    StartThread();
    ASSERT_TRUE(pty.Write(kLine + kLine + marker));
    ASSERT_TRUE(sink.WaitFor(3));
    const std::vector<std::string> expected = {kLine.substr(0, 18), kLine.substr(0, 18),
                                               marker.substr(0, 18)};
    EXPECT_EQ(sink.Records(), expected) << "the first line after reconnecting must be rejected";
    EXPECT_TRUE(thread.StopReceiveThread());
}

// Each stop comes while the thread waits for data.
TEST_F(ReceiveThreadTest, ManyConnectionsLeaveNothingBehind)
{
    StartThread();  // one cycle first: runtimes may start helper threads of their own
    ASSERT_TRUE(thread.StopReceiveThread());
    port.Close();
    const int descriptors = OpenDescriptorCount();
    const int threads = ThreadCount();
    for (int i = 0; i < 1000; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(port.Open(kPort, 115200), 1);
        StartThread();
        ASSERT_TRUE(thread.StopReceiveThread()) << "a stop while waiting ended by force";
        ASSERT_EQ(stopRequested.load(), 0);
        ASSERT_FALSE(thread.IsRunning());
        port.Close();
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    // A joined thread leaves /proc a moment after the join returns.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads; }));
}

}  // namespace
