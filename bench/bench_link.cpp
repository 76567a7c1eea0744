#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include "display/Readout.h"
#include "link/port/CSerialPort.h"
#include "link/receive/ReceiveThread.h"
#include "link/receive/RecordAssembler.h"
#include "link/window/RecordPresenter.h"
#include "tests/link/ProcessProbes.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/RecordGenerator.h"

namespace {

// 115200 baud, 10 bits a byte, 20 bytes a record.
constexpr double kLineRecordsPerSecond = 115200.0 / 10 / kRecordWireSize;

// Shows each record as the program does, without composing; counts them.
class ShowingSink : public RecordSink {
public:
    void OnRecord(const char* record) override
    {
        readout.With([&](ReadoutState& state) { ShowRecord(state, 0.1, 0.1, record, false); });
        accepted.fetch_add(1);
    }
    Readout readout;
    std::atomic<uint64_t> accepted{0};
};

std::string RecordStream(int records)
{
    GeneratorOptions options;
    options.FrequencyMode = GeneratorOptions::Mode::Wander;
    RecordGenerator generator(options);
    std::string stream;
    for (int i = 0; i < records; ++i)
        stream += generator.Next();
    return stream;
}

void BM_AssembleAndFormat(benchmark::State& state)
{
    const std::string stream = RecordStream(1000);
    ShowingSink sink;
    RecordAssembler assembler(sink);
    for (auto _ : state) {
        for (const char c : stream)
            assembler.FeedByte(static_cast<uint8_t>(c));
    }
    state.SetItemsProcessed(static_cast<int64_t>(sink.accepted.load()));
    state.counters["x_line_rate"] = benchmark::Counter(
        static_cast<double>(sink.accepted.load()) / kLineRecordsPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AssembleAndFormat);

// The simulator's code sends at full line rate through a pty for range(0)
// seconds; the receive thread assembles and shows every record.
void BM_EndToEndPty115200(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string ini = (folder / "Pelmora.ini").string();
    for (auto _ : state) {
        CounterPty pty;
        std::ofstream(ini) << "[Port]\nCOM1=" << pty.SlavePath() << "\n";
        CSerialPort port(ini, folder.string());
        if (port.Open(1, 115200) != 1) {
            state.SkipWithError("the pseudo-terminal does not open");
            break;
        }
        ShowingSink sink;
        RecordAssembler assembler(sink);
        std::atomic<int32_t> stopRequested{0};
        ReceiveThread thread(assembler, stopRequested);
        thread.Start(port.GetHandle());
        SimulatorOptions options;
        options.Baud = 115200;
        options.Count = static_cast<uint64_t>(state.range(0) * kLineRecordsPerSecond);
        const std::atomic<bool> stop{false};
        const uint64_t sent = RunSimulator(pty, options, stop);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sink.accepted.load() < sent && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state.counters["records_sent"] = static_cast<double>(sent);
        state.counters["records_accepted"] = static_cast<double>(sink.accepted.load());
        state.counters["thread_cpu_s"] = ThreadCpuSeconds(thread.NativeHandleForTest());
        thread.StopReceiveThread();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_EndToEndPty115200)->Arg(30)->Arg(3)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();


// A disconnect while records flow at the line rate: the receive thread's stop
// and the port's close, timed one connection at a time. Median and maximum
// come out as counters; forced_ends counts stops that hit the thread's limit.
void BM_StopWhileRecordsFlow(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / ("pelmora-bench-stop-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string ini = (folder / "Pelmora.ini").string();
    CounterPty pty;
    std::ofstream(ini) << "[Port]\nCOM1=" << pty.SlavePath() << "\n";
    SimulatorOptions options;
    options.Baud = 115200;
    std::atomic<bool> stop{false};
    std::thread counter([&] { RunSimulator(pty, options, stop); });
    CSerialPort port(ini, folder.string());
    ShowingSink sink;
    RecordAssembler assembler(sink);
    std::atomic<int32_t> stopRequested{0};
    ReceiveThread thread(assembler, stopRequested);
    std::vector<double> stopsUs;
    int forcedEnds = 0;
    for (auto _ : state) {
        if (port.Open(1, 115200) != 1) {
            state.SkipWithError("the pseudo-terminal does not open");
            break;
        }
        thread.Start(port.GetHandle());
        const uint64_t before = sink.accepted.load();
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sink.accepted.load() == before && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto start = std::chrono::steady_clock::now();
        forcedEnds += thread.StopReceiveThread() ? 0 : 1;
        port.Close();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        stopsUs.push_back(took.count() * 1e6);
    }
    stop = true;
    counter.join();
    std::filesystem::remove_all(folder);
    if (stopsUs.empty())
        return;
    std::sort(stopsUs.begin(), stopsUs.end());
    state.counters["stop_median_us"] = stopsUs[stopsUs.size() / 2];
    state.counters["stop_max_us"] = stopsUs.back();
    state.counters["forced_ends"] = forcedEnds;
}
BENCHMARK(BM_StopWhileRecordsFlow)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
