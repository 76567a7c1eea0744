#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

#include "display/Readout.h"
#include "link/window/CounterLink.h"
#include "link/replug/DeviceWatch.h"
#include "system/WakeEvent.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// Stands in for /dev, removed with everything in it.
class ScratchDev {
public:
    ScratchDev() : path_(fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid())))
    {
        fs::create_directories(path_);
    }
    ~ScratchDev() { fs::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

bool Sleeping(pid_t tid)
{
    std::ifstream statFile("/proc/self/task/" + std::to_string(tid) + "/stat");
    const std::string stat(std::istreambuf_iterator<char>(statFile), {});
    const auto end = stat.rfind(") ");
    return end != std::string::npos && stat.compare(end + 2, 1, "S") == 0;
}

// Runs one wait on a thread of its own; the clock stops when it returns.
struct TimedWait {
    std::atomic<pid_t> Tid{0};
    Clock::time_point EndedAt;
    std::future<DeviceReturn> Result;

    TimedWait(DeviceWatch& watch, int wakeFd)
        : Result(std::async(std::launch::async, [this, &watch, wakeFd] {
              Tid = ::gettid();
              DeviceReturn result = watch.Wait(wakeFd);
              EndedAt = Clock::now();
              return result;
          }))
    {
    }
    // Once the thread sleeps in the wait: the event path is measured, not the first look.
    void UntilBlocked() const
    {
        while (Tid == 0 || !Sleeping(Tid))
            std::this_thread::sleep_for(1ms);
    }
};

void ReportSpread(benchmark::State& state, std::vector<double> micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["max_us"] = micros.back();
}

// Makes the device come back: an atomic rename, as udev makes its links.
using Return = std::function<void(const std::string& node)>;

void RenameInto(const std::string& name, const std::string& node)
{
    fs::create_directories(fs::path(name).parent_path());
    fs::create_symlink(node, name + ".tmp");
    fs::rename(name + ".tmp", name);
}

// From the device's return (its link made anew to a new pseudo-terminal) to
// the wait returning the opened descriptor.
void MeasureReplugs(benchmark::State& state, const ScratchDev& dev, const ReopenTarget& target,
                    const Return& comeBack, const std::function<void()>& unplug)
{
    DeviceWatch watch(target, dev.File("."));
    WakeEvent wake = WakeEvent::Create().Value();  // never signalled: every wait ends with the device
    std::vector<double> micros;
    for (auto _ : state) {
        CounterPty pty;
        TimedWait wait(watch, wake.Descriptor());
        wait.UntilBlocked();
        const auto cameBack = Clock::now();
        comeBack(pty.SlavePath());
        DeviceReturn result = wait.Result.get();
        if (result.Outcome != ReturnOutcome::Opened) {
            state.SkipWithError("the device was not opened");
            break;
        }
        const std::chrono::duration<double> took = wait.EndedAt - cameBack;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
        result.Claim = DeviceClaim();
        unplug();
    }
    ReportSpread(state, std::move(micros));
}

void BM_ReplugAtTheOpenedPath(benchmark::State& state)
{
    ScratchDev dev;
    const std::string opened = dev.File("ttyX");
    MeasureReplugs(
        state, dev, {opened, opened}, [&](const std::string& node) { RenameInto(opened, node); },
        [&] { fs::remove(opened); });
}

// udev's way: /dev/serial/by-id made anew, the link renamed into it.
void BM_ReplugUnderTheStableName(benchmark::State& state)
{
    ScratchDev dev;
    const std::string stableName = dev.File("serial/by-id/usb-Pelmora_0001-if00");
    MeasureReplugs(
        state, dev, {dev.File("ttyX"), stableName},
        [&](const std::string& node) { RenameInto(stableName, node); },
        [&] { fs::remove_all(dev.File("serial")); });
}

// From the wake being signalled to the wait returning Stopped.
void BM_WakeToStopped(benchmark::State& state)
{
    ScratchDev dev;
    DeviceWatch watch({dev.File("ttyX"), dev.File("serial/by-id/usb-Pelmora_0001-if00")}, dev.File("."));
    std::vector<double> micros;
    for (auto _ : state) {
        WakeEvent wake = WakeEvent::Create().Value();  // a signal is final: one per wait
        TimedWait wait(watch, wake.Descriptor());
        wait.UntilBlocked();
        const auto signalled = Clock::now();
        wake.Signal();
        wait.Result.get();
        const std::chrono::duration<double> took = wait.EndedAt - signalled;
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    ReportSpread(state, std::move(micros));
}

}  // namespace


// The whole link: from the adapter's return (its link made anew to a new
// pseudo-terminal that sends a record at once) to that record in the read-out.
bool ProcessEventsUntil(const std::function<bool()>& done)
{
    const auto giveUp = Clock::now() + 20s;
    while (!done()) {
        if (Clock::now() > giveUp)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void BM_ReturnToFirstRecordShown(benchmark::State& state)
{
    int argc = 1;
    char name[] = "bench_replug";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    ScratchDev dev;
    const std::string opened = dev.File("ttyX");
    const std::string ini = dev.File("Pelmora.ini");
    std::ofstream(ini) << "[Port]\nCOM7=" << opened << "\n";
    Readout readout;
    CounterLink link(readout, ini, dev.File("by-id"));
    QObject::connect(&link, &CounterLink::RecordsWaiting, [&link] { link.TakeRecords(); });
    auto pty = std::make_unique<CounterPty>();
    RenameInto(opened, pty->SlavePath());
    if (!link.Connect(7, 11)) {
        state.SkipWithError("no connect");
        return;
    }
    const auto shows = [&readout](const char* text) {
        return readout.With([text](ReadoutState& s) { return std::string(s.Text.Frequency).find(text) == 0; });
    };
    std::vector<double> micros;
    uint32_t frequency = 100000;
    for (auto _ : state) {
        fs::remove(opened);
        pty->HangUp();
        if (!ProcessEventsUntil([&] { return link.IsAwaitingDevice(); }))
            return state.SkipWithError("the hang-up went unnoticed");
        pty = std::make_unique<CounterPty>();
        char record[32];
        std::snprintf(record, sizeof record, "001 010 %010u\r\n", ++frequency);
        char shown[32];
        std::snprintf(shown, sizeof shown, "    %3u,%03uHz", frequency / 1000, frequency % 1000);
        const auto cameBack = Clock::now();
        RenameInto(opened, pty->SlavePath());
        std::thread counter([&pty, record] { pty->Write(record); });
        const bool seen = ProcessEventsUntil([&] { return shows(shown); });
        const std::chrono::duration<double> took = Clock::now() - cameBack;
        counter.join();
        if (!seen)
            return state.SkipWithError("the record was not shown");
        state.SetIterationTime(took.count());
        micros.push_back(took.count() * 1e6);
    }
    ReportSpread(state, std::move(micros));
}

BENCHMARK(BM_ReplugAtTheOpenedPath)->Iterations(50)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplugUnderTheStableName)->Iterations(50)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WakeToStopped)->Iterations(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_ReturnToFirstRecordShown)->Iterations(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
