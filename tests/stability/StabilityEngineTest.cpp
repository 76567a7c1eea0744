#include "stability/StabilityAnalysis.h"
#include "stability/StabilityEngine.h"
#include "tests/stability/AllanDeviation.h"
#include "tests/stability/BatchAnalysis.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void ExpectSameCurve(const std::vector<DeviationPoint>& engine, const std::vector<DeviationPoint>& batch)
{
    ASSERT_EQ(engine.size(), batch.size());
    for (size_t k = 0; k < batch.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(engine[k].terms, batch[k].terms);
        EXPECT_EQ(engine[k].tauS, batch[k].tauS);
        EXPECT_NEAR(engine[k].hz, batch[k].hz, batch[k].hz * 1e-10);
        EXPECT_NEAR(engine[k].fractional, batch[k].fractional, batch[k].fractional * 1e-10);
    }
}

// Whole-hertz readings with a random walk, cut by two gaps, a restart and a gate change.
std::vector<FrequencySample> CutReadings()
{
    std::mt19937_64 random(7);
    std::normal_distribution<double> step(0.0, 2.0);
    std::vector<FrequencySample> samples;
    double walk = 0.0;
    auto add = [&](double tS, uint32_t gateMs) {
        walk += step(random);
        samples.push_back({tS, 10'000'000.0 + std::round(walk + step(random)), gateMs});
    };
    for (int i = 0; i < 3000; ++i)
        add(0.1 * i + (i >= 1000 ? 5.0 : 0.0) + (i >= 2000 ? 9.0 : 0.0), 100);  // two gaps
    for (int i = 0; i < 2500; ++i)
        add(0.1 * i, 100);  // a restart: a run appended
    for (int i = 0; i < 600; ++i)
        add(300.0 + i, 1000);  // a gate change
    return samples;
}

}  // namespace

// The engine fed reading by reading gives the old batch's numbers at every tau.
TEST(StabilityEngine, StreamingEqualsBatch)
{
    const std::vector<FrequencySample> samples = CutReadings();
    const StabilitySummary engine = AnalyseSamples(samples);
    const StabilitySummary batch = BatchAnalyseSamples(samples);
    EXPECT_EQ(engine.gaps, 2u);
    EXPECT_EQ(engine.restarts, 1u);
    EXPECT_EQ(engine.gateChanges, 1u);
    EXPECT_EQ(engine.segments, batch.segments);
    EXPECT_NEAR(engine.meanHz, batch.meanHz, 1e-15 * batch.meanHz);
    EXPECT_NEAR(engine.stddevHz, batch.stddevHz, 1e-10 * batch.stddevHz);
    EXPECT_NEAR(engine.driftHzPerS, batch.driftHzPerS, 1e-10 * std::fabs(batch.driftHzPerS));
    ASSERT_EQ(engine.byGate.size(), 2u);
    for (size_t g = 0; g < batch.byGate.size(); ++g) {
        EXPECT_EQ(engine.byGate[g].tau0S, batch.byGate[g].tau0S);
        ExpectSameCurve(engine.byGate[g].adev, batch.byGate[g].adev);
        ExpectSameCurve(engine.byGate[g].mdev, batch.byGate[g].mdev);
        ASSERT_FALSE(engine.byGate[g].hdev.empty());
    }
    for (const DeviationPoint& point : engine.adev) {
        EXPECT_LE(point.lower, point.fractional);
        EXPECT_GE(point.upper, point.fractional);
    }
    EXPECT_EQ(engine.adev[4].noise, analysis::NoiseType::RandomWalkFrequency);
}

struct StridedRow {
    const char* Name;
    bool randomWalk;  // else white phase noise: differences of white noise
    double amplitudeHz;
    double scale;     // the engine's unit is 1 / scale Hz
    bool modified;    // MDEV, else ADEV
};

class StridedPoint : public ::testing::TestWithParam<StridedRow> {};

// Above 2^16 tau0 the strided estimate lies within its own interval of the exact value
// and within a quarter of it; 10^6 readings stay within 64 MB.
TEST_P(StridedPoint, NearTheExactValueInBoundedMemory)
{
    const StridedRow& row = GetParam();
    std::mt19937_64 random(11);
    std::normal_distribution<double> gaussian(0.0, row.amplitudeHz);
    std::vector<double> hz;
    StabilityEngine engine({.scale = row.scale});
    const long before = PeakRssKb();
    double walk = 0.0, last = 0.0;
    for (int i = 0; i < 1'000'000; ++i) {
        const double next = gaussian(random);
        walk += next;
        hz.push_back(1e7 + (row.randomWalk ? std::round(walk) : next - last));
        last = next;
        engine.Add({static_cast<double>(i), hz.back(), 1000});
    }
    const StabilitySummary s = engine.Summary();
    ASSERT_EQ(s.adev.size(), 18u);
    ASSERT_EQ(s.mdev.size(), 18u);
    const size_t m = size_t{1} << 17;
    const DeviationPoint& strided = row.modified ? s.mdev[17] : s.adev[17];
    const AllanDeviation exactSums(hz);
    const double exact = (row.modified ? exactSums.Modified(m) : exactSums.Overlapping(m)).Deviation() / s.meanHz;
    EXPECT_EQ(strided.stride, 1024u);
    EXPECT_GE(exact, strided.lower);
    EXPECT_LE(exact, strided.upper);
    EXPECT_NEAR(strided.fractional / exact, 1.0, 0.25);
    EXPECT_EQ(s.adev[16].stride, 1u);
    EXPECT_LT(PeakRssKb() - before, 64 * 1024 + 16 * 1024);  // the test's own 8 MB of readings
}

const StridedRow kStridedRows[] = {
    {"RandomWalkAllan", true, 1.0, 1.0, false},
    {"WhitePhaseModified", false, 1.0, 0x1p20, true},
};
INSTANTIATE_TEST_SUITE_P(AboveTheExactRange, StridedPoint, ::testing::ValuesIn(kStridedRows), kRowName);

// Ten million readings, a long run of a fast counter, in bounded memory.
TEST(StabilityEngine, TenMillionReadingsInBoundedMemory)
{
    StabilityEngine engine;
    const long before = PeakRssKb();
    uint64_t state = 0x9E3779B97F4A7C15u;
    double walk = 0.0;
    for (int i = 0; i < 10'000'000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        walk += static_cast<double>(state % 5) - 2.0;
        engine.Add({i * 0.01, 1e7 + walk, 10});
    }
    EXPECT_GE(engine.Summary().adev.size(), 18u);
    EXPECT_LT(PeakRssKb() - before, 64 * 1024);
}

// Five readings hold a deviation but too few averages for a noise type: no interval.
TEST(StabilityEngine, TooShortForAnInterval)
{
    std::vector<FrequencySample> samples;
    for (int i = 0; i < 5; ++i)
        samples.push_back({1.0 * i, 1e7 + i % 3, 1000});
    const StabilitySummary s = AnalyseSamples(samples);
    ASSERT_EQ(s.adev.size(), 1u);
    EXPECT_TRUE(std::isfinite(s.adev[0].fractional));
    EXPECT_TRUE(std::isnan(s.adev[0].edf));
    EXPECT_NE(SummaryJson(s).find("\"lower\":null,\"upper\":null,\"edf\":null,\"noise\":null"),
              std::string::npos);
}

// A steady drift taken out: its slope is reported and the Allan deviation is that of
// the readings without it, while HDEV, blind to a drift, is the same either way.
TEST(StabilityEngine, RemovedDrift)
{
    std::mt19937_64 random(3);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::vector<FrequencySample> drifting, steady;
    for (int i = 0; i < 20000; ++i) {
        const double n = std::round(noise(random));
        steady.push_back({static_cast<double>(i), 1e7 + n, 1000});
        drifting.push_back({static_cast<double>(i), 1e7 + n + 0.01 * i, 1000});
    }
    const StabilitySummary removed = AnalyseSamples(drifting, {.removeDrift = true});
    const StabilitySummary kept = AnalyseSamples(drifting);
    const StabilitySummary reference = AnalyseSamples(steady);
    EXPECT_NEAR(removed.driftRemovedHzPerS, 0.01, 1e-4);
    EXPECT_TRUE(std::isnan(kept.driftRemovedHzPerS));
    const size_t last = reference.adev.size() - 1;
    EXPECT_NEAR(removed.adev[last].hz, reference.adev[last].hz, 0.1 * reference.adev[last].hz);
    EXPECT_GT(kept.adev[last].hz, 3 * reference.adev[last].hz);
    EXPECT_NEAR(kept.hdev[last].hz, removed.hdev[last].hz, 1e-6 * removed.hdev[last].hz);
}

// A damaged file naming another gate time every 50 readings: the first 16 gate times are
// analysed, the readings of the rest counted and said to be; a file of fewer says nothing.
TEST(StabilityEngine, GatesAfterTheFirstSixteenAreOnlyCounted)
{
    std::vector<FrequencySample> samples;
    for (uint32_t gate = 1; gate <= 20; ++gate) {
        for (int i = 0; i < 50; ++i)
            samples.push_back({gate * 100.0 + i, 1e7 + i % 3, gate * 10});
    }
    const StabilitySummary s = AnalyseSamples(samples);
    EXPECT_EQ(s.count, 1000u);
    EXPECT_EQ(s.gateChanges, 19u);
    EXPECT_EQ(s.gaps, 0u);
    ASSERT_EQ(s.byGate.size(), 16u);
    EXPECT_EQ(s.byGate.back().gateMs, 160u);
    uint64_t analysed = 0;
    for (const GateDeviations& gate : s.byGate)
        analysed += gate.count;
    EXPECT_EQ(analysed, 800u);
    EXPECT_EQ(s.otherGateReadings, 200u);
    EXPECT_NE(SummaryJson(s).find("\"gate_changes\":19,\"other_gate_readings\":200,"), std::string::npos);
    EXPECT_NE(SummaryText(s).find(
                  "\nOther gates     200 readings of gate times after the first 16, in no deviation\n"),
              std::string::npos);

    const StabilitySummary real = AnalyseSamples(std::span(samples).first(800));
    EXPECT_EQ(real.otherGateReadings, 0u);
    EXPECT_EQ(SummaryJson(real).find("other_gate"), std::string::npos);
    EXPECT_EQ(SummaryText(real).find("Other gates"), std::string::npos);
}
