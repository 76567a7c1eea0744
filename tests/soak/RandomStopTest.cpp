#include <gtest/gtest.h>

#include <QCoreApplication>
#include <random>
#include <thread>

#include "link/window/CounterLink.h"
#include "tests/app/AppTestSupport.h"
#include "tests/soak/RecordFlow.h"
#include "tests/soak/SoakSupport.h"

namespace {

constexpr int kStops = 300;
constexpr uint32_t kSeed = 20240607;

// Everything a draw would change: the window's hand-off count, the back
// buffer's contents key and the text it shows.
struct DrawState {
    int Invalidations = 0;
    qint64 BackBufferKey = 0;
    std::string Frequency;
    bool operator==(const DrawState&) const = default;
};

// Where and when one stop lands.
struct StopMoment {
    int ThreadPauseUs = 0;  // the receive thread's pause after each wait
    int StopAfterUs = 0;    // the window thread's pause before the stop
    bool AfterARecord = false;
};

StopMoment NextMoment(std::mt19937& random)
{
    static constexpr int kPauses[] = {0, 0, 50, 500, 3000};
    std::uniform_int_distribution<int> pause(0, 4);
    std::uniform_int_distribution<int> delay(0, 5000);
    std::bernoulli_distribution afterRecord(0.5);
    return {kPauses[pause(random)], delay(random), afterRecord(random)};
}

// The window's readout and font, driven by a link of the test's own so that
// every invalidation and watchdog call is counted.
class RandomStopTest : public testing::Test {
protected:
    DrawState Snapshot()
    {
        const qint64 key = window->ReadoutData().With(
            [](ReadoutState& state) { return state.Images.BackBitmap.cacheKey(); });
        return {invalidations, key, FrequencyLine(window.Window())};
    }

    MessageBoxRecorder boxes;
    CounterPty pty;
    WindowUnderTest window{PortIni(pty.SlavePath())};
    int invalidations = 0;  // window thread only, like the window's repaint request
    int noDataCalls = 0;
    std::atomic<int> threadPauseUs{0};  // atomic: set by the test, read by the receive thread
    std::unique_ptr<CounterLink> link;
};

TEST_F(RandomStopTest, StopAtAnyMomentEndsPromptlyAndNothingDrawsAfterIt)
{
    ASSERT_TRUE(window.Start());
    link = std::make_unique<CounterLink>(window->ReadoutData(), window.IniPath());
    QObject::connect(link.get(), &CounterLink::RecordsWaiting, [this] { ++invalidations; });
    QObject::connect(link.get(), &CounterLink::NoDataTimerFired, [this] { ++noDataCalls; });
    link->ThreadForTest().SetAfterWaitHookForTest([this] {
        std::this_thread::sleep_for(std::chrono::microseconds(threadPauseUs.load()));
    });
    SimulatorOptions options = FastRecords(1000000);
    options.Generator.FrequencyMode = GeneratorOptions::Mode::Wander;
    RecordFlow flow(pty, options);
    std::mt19937 random(kSeed);
    int drawsAfterStop = 0;
    int recordsShown = 0;
    for (int stop = 0; stop < kStops; ++stop) {
        const StopMoment moment = NextMoment(random);
        SCOPED_TRACE(testing::Message() << "stop " << stop << " pause " << moment.ThreadPauseUs
                                        << " us, stop after " << moment.StopAfterUs << " us");
        threadPauseUs = moment.ThreadPauseUs;
        ASSERT_TRUE(link->Connect(kPort, kBaud115200));
        const int before = invalidations;
        if (moment.AfterARecord && WaitUntil([&] { return invalidations > before; }))
            ++recordsShown;
        std::this_thread::sleep_for(std::chrono::microseconds(moment.StopAfterUs));  // the moment
        ASSERT_LT(TimeOf([&] { link->Disconnect(); }), kStopBound);
        ASSERT_EQ(link->StopRequested().load(), 0);
        link->KillNoDataTimer();
        const DrawState stopped = Snapshot();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (!(Snapshot() == stopped))
            ++drawsAfterStop;
    }
    EXPECT_EQ(drawsAfterStop, 0);
    EXPECT_GE(recordsShown, kStops / 4) << "too few stops landed while records were shown";
    EXPECT_EQ(noDataCalls, 0);
    link.reset();
    flow.Stop();
}

}  // namespace
