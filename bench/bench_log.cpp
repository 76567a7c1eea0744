#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "log/StabilityEngine.h"
#include "log/LogFile.h"
#include "log/StabilityAnalysis.h"

namespace {

constexpr size_t kLogRows = 1'000'000;

LogRow ReadingAt(size_t i, uint64_t& noise)
{
    noise = noise * 6364136223846793005u + 1442695040888963407u;
    const auto jitterMs = static_cast<int64_t>(noise >> 61);  // 0..7 ms late
    LogRow row;
    row.utcMs = 1796644800000 + static_cast<int64_t>(i) * 1000 + jitterMs;
    row.elapsedUs = (static_cast<int64_t>(i) * 1000 + jitterMs) * 1000;
    row.frequencyHz = 10000000u + static_cast<uint32_t>((noise >> 40) % 7);
    row.prescaler = "001";
    row.gateMs = 1000;
    return row;
}

// A log of a million readings, one a second, written once per run in pieces and
// removed at exit.
class MillionRowLog {
public:
    MillionRowLog() : path_("/tmp/pelmora-bench-log-" + std::to_string(::getpid()) + ".csv")
    {
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        std::string piece = LogHeaderLine();
        uint64_t noise = 1;
        for (size_t i = 0; i < kLogRows; ++i) {
            AppendLogRow(piece, ReadingAt(i, noise));
            if (piece.size() > (1 << 20) || i + 1 == kLogRows) {
                std::fwrite(piece.data(), 1, piece.size(), out);
                piece.clear();
            }
        }
        std::fclose(out);
    }
    ~MillionRowLog() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

const std::string& LogPath()
{
    static const MillionRowLog log;
    return log.Path();
}

double PeakResidentMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The whole analysis of a file: read, parse, every statistic at every tau. Registered
// first, so the peak resident size it reports is its own (and the file writer's).
void BM_AnalyseLogFile(benchmark::State& state)
{
    const std::string& path = LogPath();
    for (auto _ : state) {
        LogSamples loaded;
        std::string error;
        LoadLogSamples(path, loaded, error);
        const StabilitySummary summary = AnalyseLog(loaded);
        benchmark::DoNotOptimize(summary.adev.data());
    }
    state.counters["rows"] = static_cast<double>(kLogRows);
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_AnalyseLogFile)->Unit(benchmark::kMillisecond);

void BM_ReadLogFile(benchmark::State& state)
{
    for (auto _ : state) {
        LogSamples loaded;
        std::string error;
        LoadLogSamples(LogPath(), loaded, error);
        benchmark::DoNotOptimize(loaded.samples.data());
    }
}
BENCHMARK(BM_ReadLogFile)->Unit(benchmark::kMillisecond);

void BM_AnalyseSamples(benchmark::State& state)
{
    LogSamples loaded;
    std::string error;
    LoadLogSamples(LogPath(), loaded, error);
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
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Append(ReadingAt(i++, noise)));
}
BENCHMARK(BM_AppendRow);

void BM_LiveStatsAdd(benchmark::State& state)
{
    StabilityEngine stats;
    uint64_t noise = 1;
    size_t i = 0;
    for (auto _ : state) {
        stats.Add(SampleOf(ReadingAt(i++, noise)));
        benchmark::DoNotOptimize(stats);
    }
}
BENCHMARK(BM_LiveStatsAdd);

}  // namespace

BENCHMARK_MAIN();
