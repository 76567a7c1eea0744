#include "analysis/AverageSeries.h"
#include "analysis/NoiseIdentification.h"
#include "tests/analysis/PowerLawNoise.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <numeric>

using namespace analysis;

namespace {

constexpr NoiseType kTypes[] = {NoiseType::WhitePhase, NoiseType::FlickerPhase, NoiseType::WhiteFrequency,
                                NoiseType::FlickerFrequency, NoiseType::RandomWalkFrequency};
using Identify = std::function<std::optional<NoiseType>(std::span<const double>, size_t)>;

// Rows: the true type; columns: the type found (the last, none).
void CheckConfusion(const char* method, const Identify& identify)
{
    int table[5][6] = {};
    for (int t = 0; t < 5; ++t) {
        for (uint64_t seed = 1; seed <= 20; ++seed) {
            const auto found = identify(PowerLawNoise(Alpha(kTypes[t]), 4096, 100 * t + seed), 16);
            ++table[t][found ? 2 - Alpha(*found) : 5];
        }
    }
    std::printf("%s, 20 series of 4096 per type at tau = 16 tau0\ntrue\\found  WPM  FPM  WFM  FFM RWFM none\n", method);
    for (int t = 0; t < 5; ++t) {
        std::printf("%-11s", NoiseName(kTypes[t]).data());
        for (const int count : table[t])
            std::printf("%5d", count);
        std::printf("\n");
        EXPECT_GE(table[t][t], 19) << method << ": " << NoiseName(kTypes[t]);
    }
}

}  // namespace

TEST(NoiseIdentification, NineteenOfTwentyRightPerType)
{
    CheckConfusion("lag-1 autocorrelation",
                   [](std::span<const double> y, size_t m) { return IdentifyNoise(y, m); });
    CheckConfusion("B1 and R(n) ratios",
                   [](std::span<const double> y, size_t m) { return NoiseByVarianceRatios(y, m); });
    CheckConfusion("sums gathered as a stream", [](std::span<const double> y, size_t m) {
        AverageSeries series;
        for (size_t i = 0; i + m <= y.size(); i += m)
            series.Add(std::accumulate(y.begin() + i, y.begin() + i + m, 0.0L));
        NoiseEvidence evidence = series.Evidence(m);
        evidence.modifiedToAllan = NoiseEvidenceOf(y, m).modifiedToAllan;
        return IdentifyNoise(evidence);
    });
}
