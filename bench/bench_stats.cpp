// The statistics window's drawing at 576 readings a second: each plot as its data
// changes once a second, and as any other repaint finds it, and the figures panel as
// the quick figures change twice a second.
#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QWindow>
#include <benchmark/benchmark.h>

#include "statistics/DeviationPlot.h"
#include "statistics/FiguresPanel.h"
#include "statistics/StatsFigures.h"
#include "statistics/TrendPlot.h"

namespace {

constexpr double kRate = 576.0;
constexpr double kNominalHz = 10e6;
constexpr QSize kPlotSize(702, 337);  // each plot at the window's default size

// Readings wandering up to 500 Hz about the nominal, as the counter simulator sends
// them, for seconds.
StatsFigures Wandering(double seconds)
{
    StatsFigures figures;
    uint32_t seed = 1;
    double hz = kNominalHz;
    for (int k = 0; k < seconds * kRate; ++k) {
        seed = seed * 1664525u + 1013904223u;
        const double step = (double(seed >> 8) / double(1u << 24) - 0.5) * 20.0;
        hz = std::clamp(hz + step, kNominalHz - 500.0, kNominalHz + 500.0);
        figures.Add({{k / kRate, std::round(hz), 1000}, std::nullopt, {}});
    }
    return figures;
}

const StatsView& MinuteView()
{
    static const StatsView view = Wandering(60.0).View(100, 10);
    return view;
}

void ShowExposed(QWidget& widget)
{
    widget.show();
    while (!widget.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Argument 0 set: the data changed before each paint, so the plot is drawn again;
// else the paint copies the picture drawn before.
template <class Plot, class Feed>
void PaintPlot(benchmark::State& state, Feed feed)
{
    Plot plot;
    plot.resize(kPlotSize);
    ShowExposed(plot);
    feed(plot);
    plot.repaint();
    for (auto _ : state) {
        if (state.range(0))
            feed(plot);
        plot.repaint();
    }
}

void BM_TrendPlotPaint(benchmark::State& state)
{
    PaintPlot<TrendPlot>(state, [](TrendPlot& plot) {
        const StatsView& view = MinuteView();
        plot.SetData({view.trend, view.trendMinutes, kNominalHz, view.summary.meanHz, view.summary.stddevHz});
    });
}
BENCHMARK(BM_TrendPlotPaint)->ArgName("data_changed")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_DeviationPlotPaint(benchmark::State& state)
{
    PaintPlot<DeviationPlot>(state, [](DeviationPlot& plot) { plot.SetData(MinuteView().summary); });
}
BENCHMARK(BM_DeviationPlotPaint)->ArgName("data_changed")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// One take of the quick figures: the panel shows the next quarter second's figures and
// the event loop lays out and repaints what that asks for.
void BM_FiguresPanelTake(benchmark::State& state)
{
    StatsFigures figures = Wandering(60.0);
    StatsView views[2] = {figures.View(100, 10), {}};
    views[1] = views[0];
    for (int k = 0; k < kRate / 4; ++k)
        figures.Add({{60.0 + k / kRate, kNominalHz + 250.0 + k % 7, 1000}, std::nullopt, {}});
    figures.Refresh(views[1]);
    FiguresPanel panel;
    ShowExposed(panel);
    int next = 0;
    for (auto _ : state) {
        panel.Show(views[next], kNominalHz);
        QApplication::processEvents();
        next ^= 1;
    }
}
BENCHMARK(BM_FiguresPanelTake)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
