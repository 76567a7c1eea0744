#include "log/AllanDeviation.h"
#include "log/FrequencyStats.h"
#include "log/StabilityAnalysis.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
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

struct SegmentCase {
    const char* Name;
    std::vector<FrequencySample> samples;
    uint64_t segments, restarts, gaps, gateChanges, tau0Terms;
};

const SegmentCase kSegmentCases[] = {
    {"steady", Steady(40, 0.0, 1.0, 5e6), 1, 0, 0, 0, 39},
    {"jitter_is_no_gap", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.4, 1.0, 5e6)}), 1, 0, 0,
     0, 39},
    {"gap", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 21.6, 1.0, 5e6)}), 2, 0, 1, 0, 38},
    {"restart", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 0.0, 1.0, 5e6)}), 2, 1, 0, 0, 38},
    {"gate_change", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.0, 1.0, 5e6, 10000)}), 2, 0, 0,
     1, 38},
    {"gate_unknown", Joined({Steady(20, 0.0, 1.0, 5e6), Steady(20, 20.0, 1.0, 5e6, std::nullopt)}),
     2, 0, 0, 1, 38},
    {"lone_readings",
     Joined({Steady(30, 0.0, 1.0, 5e6), Steady(1, 40.0, 1.0, 5e6), Steady(9, 50.0, 1.0, 5e6)}), 3,
     0, 2, 0, 37},
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
    FrequencyStats live;
    for (const FrequencySample& sample : c.samples)
        live.Add(sample);
    const LiveStats l = live.Snapshot();
    EXPECT_EQ(l.count, s.count);
    EXPECT_EQ(l.tau0S, s.tau0S);
    EXPECT_EQ(l.lastHz, s.lastHz);
    EXPECT_NEAR(l.meanHz, s.meanHz, s.meanHz * 1e-15);
    EXPECT_NEAR(l.stddevHz, s.stddevHz, s.stddevHz * 1e-12);
    EXPECT_NEAR(l.driftHzPerS, s.driftHzPerS, std::fabs(s.driftHzPerS) * 1e-9 + 1e-15);
    EXPECT_EQ(l.adevTau0.terms, s.adev[0].terms);
    EXPECT_NEAR(l.adevTau0.hz, s.adev[0].hz, s.adev[0].hz * 1e-12);
    EXPECT_NEAR(l.adevTau0.fractional, s.adev[0].fractional, s.adev[0].fractional * 1e-12);
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
