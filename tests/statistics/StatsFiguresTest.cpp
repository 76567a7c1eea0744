#include "stability/StabilityAnalysis.h"
#include "statistics/StatsFigures.h"
#include "statistics/StatsText.h"

#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <vector>

namespace {

// Whole-hertz readings at 10 per second with wander, one gap of 4 s and two gate times.
std::vector<FrequencySample> WanderingReadings(int count)
{
    std::mt19937_64 random(11);
    std::normal_distribution<double> step(0.0, 1.5);
    std::vector<FrequencySample> samples;
    double walk = 0.0;
    for (int i = 0; i < count; ++i) {
        walk += step(random);
        const double tS = 0.1 * i + (i >= count / 2 ? 4.0 : 0.0);
        samples.push_back({tS, 10'000'010.0 + std::round(walk + step(random)), 100});
    }
    return samples;
}

TappedReading Reading(const FrequencySample& sample, std::optional<double> inductanceUh = {},
                      LogCapacitors capacitors = {0.1, 0.1})
{
    return {sample, inductanceUh, capacitors};
}

struct Copied {
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::vector<std::string>>> curves;  // name -> fields
};

Copied Parse(const std::string& text)
{
    Copied copied;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');)
            fields.push_back(field);
        if (line.back() == '\t')
            fields.emplace_back();
        if (fields.size() == 2)
            copied.values[fields[0]] = fields[1];
        else if (fields.size() == 6)
            copied.curves[fields[0]].push_back({fields.begin() + 1, fields.end()});
        else
            ADD_FAILURE() << "line of neither form: " << line;
    }
    return copied;
}

void ExpectCurve(const std::vector<std::vector<std::string>>& copied,
                 const std::vector<DeviationPoint>& analysed)
{
    ASSERT_EQ(copied.size(), analysed.size());
    ASSERT_FALSE(analysed.empty());
    for (size_t k = 0; k < analysed.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_DOUBLE_EQ(std::stod(copied[k][0]), analysed[k].tauS);
        EXPECT_NEAR(std::stod(copied[k][1]), analysed[k].fractional, analysed[k].fractional * 1e-9);
        if (std::isfinite(analysed[k].lower)) {
            EXPECT_NEAR(std::stod(copied[k][2]), analysed[k].lower, analysed[k].lower * 1e-9);
        }
        EXPECT_EQ(copied[k][4], analysed[k].noise ? analysis::NoiseName(*analysed[k].noise) : "");
    }
}

// The window's copied figures are those of the offline analysis of the same readings.
TEST(StatsFigures, CopiedTextEqualsTheAnalysisOfTheSameReadings)
{
    const std::vector<FrequencySample> samples = WanderingReadings(6000);
    StatsFigures figures;
    for (const FrequencySample& sample : samples)
        figures.Add(Reading(sample));
    const StabilitySummary analysed = AnalyseSamples(samples);
    const Copied copied = Parse(CopiedText(figures.View(100, 10), 10e6));

    EXPECT_EQ(copied.values.at("count"), "6000");
    EXPECT_EQ(copied.values.at("gaps"), "1");
    EXPECT_NEAR(std::stod(copied.values.at("mean_hz")), analysed.meanHz, 1e-9);
    EXPECT_NEAR(std::stod(copied.values.at("stddev_hz")), analysed.stddevHz, 1e-9);
    EXPECT_NEAR(std::stod(copied.values.at("drift_hz_per_s")), analysed.driftHzPerS, 1e-9);
    EXPECT_NEAR(std::stod(copied.values.at("drift_ppm_per_hour")), analysed.driftPpmPerHour, 1e-9);
    EXPECT_EQ(std::stod(copied.values.at("min_hz")), analysed.minHz);
    EXPECT_EQ(std::stod(copied.values.at("peak_to_peak_hz")), analysed.maxHz - analysed.minHz);
    EXPECT_EQ(copied.values.at("nominal_hz"), "10000000");
    EXPECT_EQ(copied.values.at("average_n"), "100");
    EXPECT_EQ(copied.values.at("inductance_count"), "0");
    EXPECT_EQ(copied.values.at("inductance_mean_uh"), "");
    ExpectCurve(copied.curves.at("adev"), analysed.adev);
    ExpectCurve(copied.curves.at("mdev"), analysed.mdev);
    ExpectCurve(copied.curves.at("hdev"), analysed.hdev);
}

TEST(StatsFigures, SteadyOffsetReadsOnePpmFromTheFirstRecord)
{
    StatsFigures figures;
    for (int i = 0; i < 3; ++i) {
        figures.Add(Reading({0.1 * i, 10'000'010.0, 100}));
        const StatsView view = figures.View(10, 1);
        EXPECT_EQ(PartsText(OffsetFromNominal(view.summary.meanHz, 10e6).ppm), "+1.000 ppm");
        EXPECT_EQ(Parse(CopiedText(view, 10e6)).values.at("offset_hz"), "10");
    }
}

struct PartsRow {
    const char* Name;
    double Ppm;
    const char* Text;
};

class StatsPartsTest : public testing::TestWithParam<PartsRow> {};

TEST_P(StatsPartsTest, PpmOrPpbWithSignAndThreeDecimals)
{
    EXPECT_EQ(PartsText(GetParam().Ppm), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Table, StatsPartsTest,
                         testing::Values(PartsRow{"OnePpm", 1.0, "+1.000 ppm"},
                                         PartsRow{"NegativePpm", -12.3456, "-12.346 ppm"},
                                         PartsRow{"BelowOnePpmInPpb", 0.25, "+250.000 ppb"},
                                         PartsRow{"NegativePpb", -0.0015, "-1.500 ppb"},
                                         PartsRow{"TinyNegativeIsPlusZero", -1e-9, "+0.000 ppb"},
                                         PartsRow{"Unknown", NAN, "-"}),
                         kRowName);

TEST(StatsFigures, ResetForgetsEverythingAndStartsAgain)
{
    StatsFigures figures;
    for (const FrequencySample& sample : WanderingReadings(500))
        figures.Add(Reading(sample, 47.0));
    figures.NoteDropped(3);
    figures.Reset();
    StatsView view = figures.View(10, 0);
    EXPECT_EQ(view.summary.count, 0u);
    EXPECT_TRUE(std::isnan(view.average.hz));
    EXPECT_EQ(view.inductance.count, 0u);
    EXPECT_TRUE(view.trend.empty());
    EXPECT_EQ(view.dropped, 0u);
    figures.Add(Reading({100.0, 5'000'000.0, 1000}));
    view = figures.View(10, 0);
    EXPECT_EQ(view.summary.count, 1u);
    EXPECT_EQ(view.summary.minHz, 5'000'000.0);
    EXPECT_EQ(view.average.hz, 5'000'000.0);
    figures.Add(Reading({101.0, 4'000'000.0, 1000}));
    figures.Refresh(view);
    EXPECT_EQ(view.summary.count, 2u);
    EXPECT_EQ(view.summary.meanHz, 4'500'000.0);
    EXPECT_EQ(view.average.hz, 4'500'000.0);
    EXPECT_EQ(view.summary.minHz, 5'000'000.0) << "the rest waits for the next View";
}

TEST(StatsFigures, MovingAverageTakesTheLastReadingsOnly)
{
    StatsFigures figures;
    for (int i = 0; i < 1200; ++i)
        figures.Add(Reading({0.1 * i, i < 1190 ? 10'000'000.0 : 10'000'100.0, 100}));
    EXPECT_EQ(figures.View(10, 1).average.hz, 10'000'100.0);
    EXPECT_EQ(figures.View(100, 1).average.hz, 10'000'010.0);
    EXPECT_EQ(figures.View(1000, 1).average.hz, 10'000'001.0);
    EXPECT_EQ(figures.View(1000, 1).average.readings, 1000u);
}

TEST(StatsFigures, InductanceOfShownLinesStartsAgainWithNewCapacitors)
{
    StatsFigures figures;
    figures.Add(Reading({0.0, 1e6, 100}, 10.0));
    figures.Add(Reading({0.1, 1e6, 100}));  // line hidden: not counted
    figures.Add(Reading({0.2, 1e6, 100}, 12.0));
    InductanceFigures l = figures.View(10, 1).inductance;
    EXPECT_EQ(l.count, 2u);
    EXPECT_DOUBLE_EQ(l.meanUh, 11.0);
    EXPECT_DOUBLE_EQ(l.stddevUh, std::sqrt(2.0));
    EXPECT_EQ(l.minUh, 10.0);
    EXPECT_EQ(l.maxUh, 12.0);
    figures.Add(Reading({0.3, 1e6, 100}, 30.0, {0.2, 0.1}));
    l = figures.View(10, 1).inductance;
    EXPECT_EQ(l.count, 1u);
    EXPECT_EQ(l.meanUh, 30.0);
    EXPECT_TRUE(std::isnan(l.stddevUh));
}

TEST(StatsFigures, TrendStaysBoundedAndBreaksAtTheGap)
{
    StatsFigures figures;
    for (const FrequencySample& sample : WanderingReadings(40000))  // 67 minutes
        figures.Add(Reading(sample));
    const std::vector<TrendPoint> whole = figures.View(10, 0).trend;
    EXPECT_LE(whole.size(), 100u);
    EXPECT_GE(whole.size(), 50u);
    EXPECT_EQ(std::count_if(whole.begin(), whole.end(), [](const TrendPoint& p) { return p.breakBefore; }), 1);
    const std::vector<TrendPoint> minute = figures.View(10, 1).trend;
    ASSERT_FALSE(minute.empty());
    EXPECT_GE(minute.front().tS, minute.back().tS - 60.0);
    EXPECT_LE(minute.size(), 100u);
    EXPECT_GE(minute.size(), 50u);
}

}  // namespace
