#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"

namespace {

// A few records as the assembler leaves them, so no single branch is favoured.
constexpr std::array<const char*, 4> kRecords = {
    "001 010 0001000000",
    "100 100 0000012345",
    "010 005 0123456789",
    "001 010 0000000300",
};

// The whole text work of one accepted record: frequency, status, inductance.
void BM_FormatRecord(benchmark::State& state)
{
    ReadoutText text;
    ActivityIndicator indicator;
    ResetReadoutText(text);
    size_t next = 0;
    for (auto _ : state) {
        const char* record = kRecords[next];
        next = (next + 1) % kRecords.size();
        FormatFrequencyLine(text, indicator, record);
        FormatStatusLine(text, record);
        const auto frequency = static_cast<uint32_t>(RecordFrequency(record));
        FormatInductanceLine(text, ComputeInductance(frequency, 0.1, 0.047));
        benchmark::DoNotOptimize(text);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FormatRecord);

}  // namespace

BENCHMARK_MAIN();
