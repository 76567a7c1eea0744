#include "log/StabilityAnalysis.h"
#include "log/StabilityPlot.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

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
    s.adev = {{1.0, 3598, 5.12e-9, 0.0512}, {2.0, 3594, 3.6e-9, 0.036}};
    s.mdev = {{1.0, 3598, 5.12e-9, 0.0512}};
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
        "\n"
        "   tau (s)       ADEV    ADEV Hz     terms       MDEV    MDEV Hz     terms\n"
        "     1.000  5.120e-09  5.120e-02      3598  5.120e-09  5.120e-02      3598\n"
        "     2.000  3.600e-09  3.600e-02      3594          -          -         0\n");
}

TEST(SummaryRendering, JsonHasEveryKeyAndNullForNaN)
{
    StabilitySummary s = Example();
    s.stddevHz = NAN;
    EXPECT_EQ(
        SummaryJson(s),
        "{\"count\":3600,\"skipped_lines\":2,\"span_s\":3599.5,\"tau0_s\":1,\"segments\":2,"
        "\"restarts\":0,\"gaps\":1,\"gate_changes\":0,\"mean_hz\":10000000.123456,"
        "\"stddev_hz\":null,\"min_hz\":9999999.9,\"max_hz\":10000000.3,\"last_hz\":10000000.25,"
        "\"drift_hz_per_s\":-1.5e-06,\"drift_ppm_per_hour\":-0.00054,"
        "\"adev\":[{\"tau_s\":1,\"terms\":3598,\"fractional\":5.12e-09,\"hz\":0.0512},"
        "{\"tau_s\":2,\"terms\":3594,\"fractional\":3.6e-09,\"hz\":0.036}],"
        "\"mdev\":[{\"tau_s\":1,\"terms\":3598,\"fractional\":5.12e-09,\"hz\":0.0512}]}\n");
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

}  // namespace
