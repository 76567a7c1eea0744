#include "stability/StabilityAnalysis.h"
#include "stability/StabilityPlot.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

DeviationPoint Point(double tauS, uint64_t terms, double fractional, double hz)
{
    DeviationPoint point;
    point.tauS = tauS;
    point.terms = terms;
    point.fractional = fractional;
    point.hz = hz;
    return point;
}

GateDeviations Gate(std::optional<uint32_t> gateMs, double tau0S, uint64_t count,
                    std::vector<DeviationPoint> adev)
{
    GateDeviations gate;
    gate.gateMs = gateMs;
    gate.tau0S = tau0S;
    gate.count = count;
    gate.adev = std::move(adev);
    return gate;
}

StabilitySummary Example()
{
    StabilitySummary s;
    s.count = 3600;
    s.skippedLines = 2;
    s.spanS = 3599.5;
    s.tau0S = 1.0;
    s.segments = 2;
    s.gaps = 1;
    s.meanHz = 10000000.123456;
    s.stddevHz = 0.0512;
    s.minHz = 9999999.9;
    s.maxHz = 10000000.3;
    s.lastHz = 10000000.25;
    s.driftHzPerS = -1.5e-6;
    s.driftPpmPerHour = -0.00054;
    s.adev = {Point(1.0, 3598, 5.12e-9, 0.0512), Point(2.0, 3594, 3.6e-9, 0.036)};
    s.mdev = {Point(1.0, 3598, 5.12e-9, 0.0512)};
    s.adev[0].lower = 5.0e-9;
    s.adev[0].upper = 5.25e-9;
    s.adev[0].edf = 3000.5;
    s.adev[0].noise = analysis::NoiseType::WhiteFrequency;
    s.tdev = {Point(1.0, 3598, NAN, NAN)};
    s.tdev[0].seconds = 2.956e-9;
    s.confidence = 0.683;
    return s;
}

TEST(SummaryRendering, TextLinesAlign)
{
    EXPECT_EQ(
        SummaryText(Example()),
        "Readings        3600 in 2 segments (0 restarts, 1 gap, 0 gate changes), 2 lines skipped\n"
        "Span            3599.500 s (59.99 min), tau0 1.000 s\n"
        "Mean            10000000.1235 Hz\n"
        "Std deviation   0.0512 Hz (5.12e-09)\n"
        "Min / max       9999999.9000 / 10000000.3000 Hz\n"
        "Last            10000000.2500 Hz\n"
        "Drift           -1.500e-06 Hz/s (-5.400e-04 ppm/h)\n"
        "Intervals       68.3 % (chi-squared, EDF by noise type)\n"
        "\n"
        "   tau (s)       ADEV      lower      upper         Hz      terms  noise\n"
        "     1.000  5.120e-09  5.000e-09  5.250e-09  5.120e-02       3598  WFM\n"
        "     2.000  3.600e-09          -          -  3.600e-02       3594  -\n"
        "\n"
        "   tau (s)       MDEV      lower      upper         Hz      terms  noise\n"
        "     1.000  5.120e-09          -          -  5.120e-02       3598  -\n"
        "\n"
        "   tau (s)   TDEV (s)      lower      upper         Hz      terms  noise\n"
        "     1.000  2.956e-09          -          -                  3598  -\n");
    StabilitySummary gates = Example();
    gates.byGate = {Gate(std::nullopt, NAN, 1, {}), Gate(250, 0.0017361, 3599, gates.mdev)};
    gates.byGate[1].adev[0].stride = 1024;
    const std::string text = SummaryText(gates);
    EXPECT_EQ(text.substr(text.find("\nGate")),
              "\nGate unknown: 1 reading, tau0 - s\n"
              "\nGate 0.25 s: 3599 readings, tau0 0.001736 s\n"
              "\n"
              "   tau (s)       ADEV      lower      upper         Hz      terms  noise\n"
              "     1.000  5.120e-09          -          -  5.120e-02       3598  - *\n"
              "\n* above 65536 tau0: terms taken at a stride of 1024 readings or more\n");
}

#define MDEV                                                                            \
    "{\"tau_s\":1,\"terms\":3598,\"fractional\":5.12e-09,\"hz\":0.0512,\"lower\":null," \
    "\"upper\":null,\"edf\":null,\"noise\":null,\"stride\":1}"

TEST(SummaryRendering, JsonHasEveryKeyAndNullForNaN)
{
    StabilitySummary s = Example();
    s.stddevHz = NAN;
    s.byGate = {Gate(std::nullopt, NAN, 1, {}), Gate(1000, 1.0, 3599, {})};
    s.byGate[1].mdev = s.mdev;
    EXPECT_EQ(
        SummaryJson(s),
        "{\"count\":3600,\"skipped_lines\":2,\"span_s\":3599.5,\"tau0_s\":1,\"segments\":2,"
        "\"restarts\":0,\"gaps\":1,\"gate_changes\":0,\"mean_hz\":10000000.123456,"
        "\"stddev_hz\":null,\"min_hz\":9999999.9,\"max_hz\":10000000.3,\"last_hz\":10000000.25,"
        "\"drift_hz_per_s\":-1.5e-06,\"drift_ppm_per_hour\":-0.00054,"
        "\"drift_removed_hz_per_s\":null,\"confidence\":0.683,"
        "\"adev\":[{\"tau_s\":1,\"terms\":3598,\"fractional\":5.12e-09,\"hz\":0.0512,"
        "\"lower\":5e-09,\"upper\":5.25e-09,\"edf\":3000.5,\"noise\":\"WFM\",\"stride\":1},"
        "{\"tau_s\":2,\"terms\":3594,\"fractional\":3.6e-09,\"hz\":0.036,"
        "\"lower\":null,\"upper\":null,\"edf\":null,\"noise\":null,\"stride\":1}],"
        "\"mdev\":[" MDEV "],\"hdev\":[],"
        "\"tdev\":[{\"tau_s\":1,\"terms\":3598,\"seconds\":2.956e-09,"
        "\"lower\":null,\"upper\":null,\"edf\":null,\"noise\":null,\"stride\":1}],"
        "\"by_gate\":[{\"gate_s\":null,\"tau0_s\":null,\"count\":1,"
        "\"adev\":[],\"mdev\":[],\"hdev\":[],\"tdev\":[]},"
        "{\"gate_s\":1,\"tau0_s\":1,\"count\":3599,\"adev\":[],"
        "\"mdev\":[" MDEV "],\"hdev\":[],\"tdev\":[]}]}\n");
    EXPECT_EQ(SummaryJson(StabilitySummary{}).substr(0, 52),
              "{\"count\":0,\"skipped_lines\":0,\"span_s\":null,\"tau0_s\":");
}

// The picture comes out at the size asked for, for a real log, a single reading and none.
TEST(StabilityPlotImage, RendersAndSavesAtItsSize)
{
    std::vector<FrequencySample> samples;
    for (int i = 0; i < 5000; ++i)
        samples.push_back(
            {i * 0.5, 5e6 + std::sin(i * 0.01) + (i % 7) * 0.1, i < 3000 ? 500u : 1000u});
    TempDir folder;
    for (const size_t count : {size_t{5000}, size_t{1}, size_t{0}}) {
        const std::span<const FrequencySample> some(samples.data(), count);
        const StabilitySummary summary = AnalyseSamples(some);
        const StabilityPlot plot(QSize(800, 600));
        EXPECT_EQ(plot.Render(some, summary).size(), QSize(800, 600));
        std::string error;
        ASSERT_TRUE(plot.SavePng(folder.File("plot.png"), some, summary, error)) << error;
        EXPECT_EQ(QImage(QString::fromStdString(folder.File("plot.png"))).size(), QSize(800, 600));
    }
    std::string error;
    EXPECT_FALSE(StabilityPlot().SavePng(folder.File("none/plot.png"), samples,
                                         AnalyseSamples(samples), error));
    EXPECT_EQ(error, "Cannot write " + folder.File("none/plot.png") + ": No such file or directory");
}

// Error bars are drawn in the deviation panel and a removed drift is named in the title.
TEST(StabilityPlotImage, ShowsErrorBarsAndRemovedDrift)
{
    std::vector<FrequencySample> samples;
    for (int i = 0; i < 5000; ++i)
        samples.push_back({i * 1.0, 5e6 + i * 1e-3 + (i * 7919 % 13) * 0.1, 1000u});
    const StabilitySummary summary = AnalyseSamples(samples, {0.683, true});
    StabilitySummary plain = summary;
    plain.driftRemovedHzPerS = NAN;
    for (DeviationPoint& point : plain.adev)
        point.lower = point.upper = NAN;
    const QImage image = StabilityPlot().Render(samples, summary);
    const QImage without = StabilityPlot().Render(samples, plain);
    EXPECT_NE(image.copy(0, 0, 1200, 40), without.copy(0, 0, 1200, 40));
    EXPECT_NE(image.copy(0, 480, 1200, 420), without.copy(0, 480, 1200, 420));
    EXPECT_TRUE(std::isfinite(summary.driftRemovedHzPerS));
}

}  // namespace
