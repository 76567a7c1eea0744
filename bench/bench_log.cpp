// Recording and analysis. The whole `pelmora-log --analyse` of a 10^6 and a 10^7-row
// file (and of a damaged one of 20,000 rows, each naming another gate time), and the
// engine fed readings directly, run as child processes, so that each
// case reports its own CPU time and peak resident size; `bench_log --long` adds the
// engine fed 10^8 readings (about a minute), and PELMORA_LOG=<program> times another
// build of pelmora-log on the same files. Generated files go to /tmp and are removed
// when their case ends.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "log/LogFile.h"
#include "stability/StabilityAnalysis.h"
#include "stability/StabilityEngine.h"

extern char** environ;

namespace {

constexpr int64_t kMillion = 1'000'000;
constexpr std::string_view kEngineChild = "--engine-child";

// Every row the same gate time, as a counter writes them, or each another (a damaged file).
enum class Gates { One, EachRowAnother };

LogRow ReadingAt(int64_t i, uint64_t& noise, Gates gates = Gates::One)
{
    noise = noise * 6364136223846793005u + 1442695040888963407u;
    const auto jitterMs = static_cast<int64_t>(noise >> 61);  // 0..7 ms late
    LogRow row;
    row.utcMs = 1796644800000 + i * 1000 + jitterMs;
    row.elapsedUs = (i * 1000 + jitterMs) * 1000;
    row.frequencyHz = 10000000u + static_cast<uint32_t>((noise >> 40) % 7);
    row.prescaler = "001";
    row.gateMs = gates == Gates::One ? 1000 : static_cast<uint32_t>(i + 1);  // 0.001 s, 0.002 s, ...
    return row;
}

// A log of readings one a second, written in pieces, removed with the object.
class GeneratedLog {
public:
    explicit GeneratedLog(int64_t rows, Gates gates = Gates::One)
        : path_("/tmp/pelmora-bench-log-" + std::to_string(::getpid()) + "-" +
                std::to_string(rows) + (gates == Gates::One ? "" : "-gates") + ".csv")
    {
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        std::string piece = LogHeaderLine();
        uint64_t noise = 1;
        for (int64_t i = 0; i < rows; ++i) {
            AppendLogRow(piece, ReadingAt(i, noise, gates));
            if (piece.size() > (1 << 20) || i + 1 == rows) {
                std::fwrite(piece.data(), 1, piece.size(), out);
                piece.clear();
            }
        }
        std::fclose(out);
    }
    ~GeneratedLog() { std::remove(path_.c_str()); }
    GeneratedLog(const GeneratedLog&) = delete;
    GeneratedLog& operator=(const GeneratedLog&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

const std::string& MillionRowPath()
{
    static const GeneratedLog log(kMillion);
    return log.Path();
}

struct ChildUsage {
    bool ran = false;
    double cpuSeconds = 0.0;
    double peakMegabytes = 0.0;
};

double Seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// Runs a program with its output discarded and takes its CPU time and peak resident
// size from the kernel's account of the finished child.
ChildUsage RunChild(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ChildUsage usage;
    int status = 0;
    rusage account{};
    if (failed != 0 || ::wait4(pid, &status, 0, &account) != pid)
        return usage;
    usage.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    usage.cpuSeconds = Seconds(account.ru_utime) + Seconds(account.ru_stime);
    usage.peakMegabytes = static_cast<double>(account.ru_maxrss) / 1024.0;
    return usage;
}

void Report(benchmark::State& state, const ChildUsage& usage, int64_t readings)
{
    if (!usage.ran) {
        state.SkipWithError("the child process failed");
        return;
    }
    state.SetIterationTime(usage.cpuSeconds);
    state.counters["cpu_s"] = usage.cpuSeconds;
    state.counters["peak_rss_MB"] = usage.peakMegabytes;
    state.counters["readings"] = static_cast<double>(readings);
}

// This build's pelmora-log, or another build named by PELMORA_LOG (an older one, to
// compare against).
std::string AnalyseProgram()
{
    const char* other = std::getenv("PELMORA_LOG");
    return other != nullptr && *other != '\0' ? other : PELMORA_LOG_PROGRAM;
}

// `pelmora-log --analyse FILE`; the time is the child's CPU time (user and system),
// the writing of the file not included.
void BM_AnalyseCommand(benchmark::State& state)
{
    const GeneratedLog log(state.range(0));
    for (auto _ : state)
        Report(state, RunChild({AnalyseProgram(), "--analyse", log.Path()}), state.range(0));
}
BENCHMARK(BM_AnalyseCommand)
    ->Arg(kMillion)
    ->Arg(10 * kMillion)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// `pelmora-log --analyse` of a damaged file whose every row names another gate time:
// the first gate times are analysed in full, the rest only counted, so the memory stays
// that of a few gates (it must peak under 64 MB).
void BM_AnalyseManyGates(benchmark::State& state)
{
    const GeneratedLog log(state.range(0), Gates::EachRowAnother);
    for (auto _ : state)
        Report(state, RunChild({AnalyseProgram(), "--analyse", log.Path()}), state.range(0));
}
BENCHMARK(BM_AnalyseManyGates)->Arg(20'000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The engine fed readings in a process of its own (this program run with
// kEngineChild); 0 readings gives the process's own size.
void BM_EngineInChild(benchmark::State& state)
{
    for (auto _ : state)
        Report(state,
               RunChild({"/proc/self/exe", std::string(kEngineChild), std::to_string(state.range(0))}),
               state.range(0));
}
BENCHMARK(BM_EngineInChild)
    ->Arg(0)
    ->Arg(10 * kMillion)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int FeedEngine(int64_t readings)
{
    StabilityEngine engine;
    uint64_t noise = 1;
    for (int64_t i = 0; i < readings; ++i)
        engine.Add(SampleOf(ReadingAt(i, noise)));
    const StabilitySummary summary = engine.Summary();
    benchmark::DoNotOptimize(summary.adev.data());
    return 0;
}

// A summary taken from a live engine that holds 10^7 readings (filled once).
void BM_LiveSummary(benchmark::State& state)
{
    static const StabilityEngine engine = [] {
        StabilityEngine filled;
        uint64_t noise = 1;
        for (int64_t i = 0; i < 10 * kMillion; ++i)
            filled.Add(SampleOf(ReadingAt(i, noise)));
        return filled;
    }();
    for (auto _ : state) {
        const StabilitySummary summary = engine.Summary();
        benchmark::DoNotOptimize(summary.adev.data());
    }
    state.counters["readings"] = static_cast<double>(engine.Count());
}
BENCHMARK(BM_LiveSummary)->Unit(benchmark::kMicrosecond);

// A summary of 10^6 readings cut into about 3000 segments of 10 to 2000 readings: the
// EDF of every point is worked out from many segment lengths.
void BM_GappySummary(benchmark::State& state)
{
    static const StabilityEngine engine = [] {
        StabilityEngine filled;
        uint64_t noise = 1;
        const auto next = [&noise] { return (noise = noise * 6364136223846793005u + 1442695040888963407u) >> 33; };
        double tS = 0.0;
        for (int64_t i = 0, left = 10; i < kMillion; ++i, tS += 1.0) {
            filled.Add({tS, 1e7 + static_cast<double>(next() % 7), 1000});
            if (--left == 0) {
                tS += 30.0;
                left = 10 + static_cast<int64_t>(next() % 1991);
            }
        }
        return filled;
    }();
    for (auto _ : state) {
        const StabilitySummary summary = engine.Summary();
        benchmark::DoNotOptimize(summary.adev.data());
    }
    state.counters["readings"] = static_cast<double>(engine.Count());
}
BENCHMARK(BM_GappySummary)->Unit(benchmark::kMicrosecond);

void BM_ReadLogFile(benchmark::State& state)
{
    for (auto _ : state) {
        LogSamples loaded;
        LoadLogSamples(MillionRowPath(), loaded);
        benchmark::DoNotOptimize(loaded.samples.data());
    }
}
BENCHMARK(BM_ReadLogFile)->Unit(benchmark::kMillisecond);

// The readings in memory, as the plot has them.
void BM_AnalyseSamples(benchmark::State& state)
{
    LogSamples loaded;
    LoadLogSamples(MillionRowPath(), loaded);
    for (auto _ : state) {
        const StabilitySummary summary = AnalyseSamples(loaded.samples);
        benchmark::DoNotOptimize(summary.adev.data());
    }
}
BENCHMARK(BM_AnalyseSamples)->Unit(benchmark::kMillisecond);

// Formatting and one write() per row, into /dev/null so no disk is filled.
void BM_AppendRow(benchmark::State& state)
{
    LogFile file;
    file.Open("/dev/null");
    uint64_t noise = 1;
    int64_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Append(ReadingAt(i++, noise)));
}
BENCHMARK(BM_AppendRow);

void BM_EngineAdd(benchmark::State& state)
{
    StabilityEngine engine;
    uint64_t noise = 1;
    int64_t i = 0;
    for (auto _ : state) {
        engine.Add(SampleOf(ReadingAt(i++, noise)));
        benchmark::DoNotOptimize(engine);
    }
}
BENCHMARK(BM_EngineAdd);

// Removes --long from the arguments; true when it was there.
bool TakeLongFlag(int& argc, char** argv)
{
    const int before = argc;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--long") == 0) {
            std::memmove(argv + i, argv + i + 1, sizeof(char*) * static_cast<size_t>(argc - i));
            --argc;
            break;
        }
    }
    return argc != before;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && argv[1] == kEngineChild)
        return FeedEngine(std::stoll(argv[2]));
    if (TakeLongFlag(argc, argv)) {
        benchmark::RegisterBenchmark("BM_EngineInChild", BM_EngineInChild)
            ->Arg(100 * kMillion)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
