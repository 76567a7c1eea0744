#include "tests/stability/AllanDeviation.h"
#include "log/CsvLogReader.h"
#include "stability/StabilityEngine.h"
#include "log/LogClock.h"
#include "stability/RunTimeline.h"
#include "stability/StabilityAnalysis.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

std::vector<FrequencySample> Steady(size_t count, double startS, double stepS, double hz,
                                    std::optional<uint32_t> gateMs = 1000)
{
    std::vector<FrequencySample> samples;
    for (size_t i = 0; i < count; ++i)
        samples.push_back(
            {startS + stepS * static_cast<double>(i), hz + static_cast<double>(i % 3), gateMs});
    return samples;
}

std::vector<FrequencySample> Joined(std::vector<std::vector<FrequencySample>> parts)
{
    std::vector<FrequencySample> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Stamps as pelmora-log gives them to 20-byte records sent at rate that reach it in
// packets of packetBytes, each when its last byte is sent, read up to 2 ms late.
std::vector<int64_t> DeliveredStamps(double rate, double seconds, int64_t packetBytes)
{
    const double usPerByte = 1e6 / (rate * 20);
    std::vector<int64_t> stamps;
    for (int64_t k = 0, last = -1; k < std::llround(rate * seconds); ++k) {
        const int64_t packet = (20 * (k + 1) - 1) / packetBytes;
        const double sentUs = static_cast<double>(packetBytes * (packet + 1)) * usPerByte;
        stamps.push_back(last = NextStampUs(std::llround(sentUs) + packet * 7919 % 2000, last));
    }
    return stamps;
}

// A slow wave and a drift of 1 mHz/s on 10 MHz.
std::vector<FrequencySample> Readings(const std::vector<int64_t>& stampsUs)
{
    std::vector<FrequencySample> samples;
    for (const int64_t us : stampsUs)
        samples.push_back({us / 1e6, 1e7 + std::sin(us / 3e6) + us * 1e-9, 1000});
    return samples;
}

// The same read back from a log written with millisecond t_s.
std::vector<FrequencySample> MillisecondLog(const std::vector<int64_t>& stampsUs)
{
    std::string text;
    for (const int64_t us : stampsUs) {
        char line[80];
        std::snprintf(line, sizeof line, "2026-12-07T12:00:00.000Z,%.3f,10000000,001,1.0,\r\n",
                      static_cast<double>(us / 1000) / 1e3);
        text += line;
    }
    std::vector<FrequencySample> samples;
    for (const LogRow& row : ParseLogText(text))
        samples.push_back(SampleOf(row));
    return samples;
}

std::vector<int64_t> EvenStamps(double rate, double seconds)
{
    std::vector<int64_t> stamps;
    for (int64_t k = 0; k < std::llround(rate * seconds); ++k)
        stamps.push_back(std::llround(static_cast<double>(k) * 1e6 / rate));
    return stamps;
}

double LeastSquaresPpmPerHour(const std::vector<FrequencySample>& samples)
{
    long double t = 0, f = 0, tt = 0, tf = 0;
    for (const FrequencySample& s : samples) {
        t += s.tS / samples.size();
        f += s.frequencyHz / samples.size();
    }
    for (const FrequencySample& s : samples) {
        tt += (s.tS - t) * (s.tS - t);
        tf += (s.tS - t) * (s.frequencyHz - f);
    }
    return static_cast<double>(tf / tt * 3600 / f * 1e6);
}

struct SegmentCase {
    const char* Name;
    std::vector<FrequencySample> samples;
    uint64_t segments, restarts, gaps, gateChanges, tau0Terms;
    std::vector<double> tau0S = {};  // each gate's, in gate order, within tolerance
    double tolerance = 0.0;
    double plotSpanS = NAN;  // the time axis's length, within 1 %
};

const SegmentCase kSegmentCases[] = {
    {"steady", Steady(40, 0.0, 1.0, 5e6), 1, 0, 0, 0, 39},
    {"jitter_is_no_gap", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.4, 1.0, 5e6)}), 1, 0, 0,
     0, 39},
    {"gap", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 21.6, 1.0, 5e6)}), 2, 0, 1, 0, 38},
    {"restart", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 0.0, 1.0, 5e6)}), 2, 1, 0, 0, 38},
    {"gate_change", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.0, 1.0, 5e6, 10000)}), 2, 0, 0,
     1, 19},
    {"gate_unknown", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.0, 1.0, 5e6, std::nullopt)}),
     2, 0, 0, 1, 19},
    {"lone_readings",
     Joined({Steady(30, 0.0, 1.0, 5e6), Steady(1, 40.0, 1.0, 5e6), Steady(9, 50.0, 1.0, 5e6)}), 3,
     0, 2, 0, 37},
    {"usb_bursts_100_per_s", Readings(DeliveredStamps(100, 60, 62)), 1, 0, 0, 0, 5999, {0.010},
     0.005, 60.0},
    {"even_576_per_s", Readings(EvenStamps(576, 10)), 1, 0, 0, 0, 5759, {1.736e-3}, 0.001},
    {"millisecond_log_576_per_s", MillisecondLog(DeliveredStamps(576, 10, 62)), 1, 0, 0, 0, 5759,
     {1.736e-3}, 0.001},
    {"gate_1s_then_10s", Joined({Steady(600, 0.0, 1.0, 5e6), Steady(500, 600.0, 10.0, 5e6, 10000)}),
     2, 0, 0, 1, 599, {1.0, 10.0}, 1e-12},
};

class Segmentation : public ::testing::TestWithParam<SegmentCase> {};

// Batch and streaming cut alike and agree on every figure they share.
TEST_P(Segmentation, CutsCountsAndAgreesWithStreaming)
{
    const SegmentCase& c = GetParam();
    const StabilitySummary s = AnalyseSamples(c.samples);
    EXPECT_EQ(s.count, c.samples.size());
    EXPECT_EQ(s.segments, c.segments);
    EXPECT_EQ(s.segmentStarts.size(), c.segments);
    EXPECT_EQ(s.restarts, c.restarts);
    EXPECT_EQ(s.gaps, c.gaps);
    EXPECT_EQ(s.gateChanges, c.gateChanges);
    ASSERT_FALSE(s.adev.empty());
    EXPECT_EQ(s.adev[0].terms, c.tau0Terms);
    if (!c.tau0S.empty()) {
        ASSERT_EQ(s.byGate.size(), c.tau0S.size());
    }
    for (size_t i = 0; i < c.tau0S.size(); ++i) {
        EXPECT_NEAR(s.byGate[i].tau0S, c.tau0S[i], c.tau0S[i] * c.tolerance);
        EXPECT_FALSE(s.byGate[i].adev.empty());
    }
    if (c.restarts == 0) {
        EXPECT_NEAR(s.driftPpmPerHour, LeastSquaresPpmPerHour(c.samples), 0.01);
    }
    if (std::isfinite(c.plotSpanS)) {
        EXPECT_NEAR(RunTimeline(c.samples, s).back(), c.plotSpanS, c.plotSpanS * 0.01);
    }
    StabilityEngine live;
    for (const FrequencySample& sample : c.samples)
        live.Add(sample);
    const LiveStats l = live.Live();
    EXPECT_EQ(l.count, s.count);
    EXPECT_EQ(l.tau0S, s.tau0S);
    EXPECT_EQ(l.lastHz, s.lastHz);
    EXPECT_NEAR(l.meanHz, s.meanHz, s.meanHz * 1e-15);
    EXPECT_NEAR(l.stddevHz, s.stddevHz, s.stddevHz * 1e-12);
    EXPECT_NEAR(l.driftHzPerS, s.driftHzPerS, std::fabs(s.driftHzPerS) * 1e-9 + 1e-15);
    EXPECT_EQ(l.adevTau0.terms, s.adev[0].terms);  // its value: whole hertz live, finer here
}

INSTANTIATE_TEST_SUITE_P(Logs, Segmentation, ::testing::ValuesIn(kSegmentCases), kRowName);

// Two stretches 1 kHz apart across a gap: every deviation is the two pooled alone, so
// the 1 kHz step is in none of them.
TEST(GapsNeverBridged, DeviationsPoolTheSegmentsAlone)
{
    std::vector<FrequencySample> first, second;
    for (int i = 0; i < 300; ++i) {
        first.push_back({i * 1.0, 1e7 + std::sin(i * 0.7), 1000});
        second.push_back({400.0 + i, 1e7 + 1000 + std::cos(i * 1.3), 1000});
    }
    const StabilitySummary s = AnalyseSamples(Joined({first, second}));
    EXPECT_EQ(s.gaps, 1u);
    std::vector<double> hzFirst, hzSecond;
    for (int i = 0; i < 300; ++i) {
        hzFirst.push_back(first[i].frequencyHz);
        hzSecond.push_back(second[i].frequencyHz);
    }
    const AllanDeviation a(hzFirst), b(hzSecond);
    ASSERT_EQ(s.adev.size(), 8u);  // tau 1..128: 128 <= a quarter of the span, 699 s
    ASSERT_EQ(s.mdev.size(), 7u);  // 300 readings hold no MDEV term at 128 s
    for (size_t k = 0; k < s.adev.size(); ++k) {
        const size_t m = size_t{1} << k;
        DeviationSums adev = a.Overlapping(m), mdev = a.Modified(m);
        adev += b.Overlapping(m);
        mdev += b.Modified(m);
        EXPECT_EQ(s.adev[k].terms, adev.terms);
        EXPECT_NEAR(s.adev[k].hz, adev.Deviation(), adev.Deviation() * 1e-12);
        if (k < s.mdev.size()) {
            EXPECT_EQ(s.mdev[k].terms, mdev.terms);
            EXPECT_NEAR(s.mdev[k].hz, mdev.Deviation(), mdev.Deviation() * 1e-12);
        }
        EXPECT_LT(s.adev[k].hz, 2.0);  // bridged, the step would give hundreds of Hz
    }
}

}  // namespace
