#include <cstring>

#include <QPainter>
#include <benchmark/benchmark.h>

#include "display/Composer.h"
#include "display/FontLoader.h"
#include "settings/ExePath.h"

namespace {

// The default font beside the program, with a measurement's three lines.
bool LoadDefaultFont(Readout& readout)
{
    std::string fontPath = GetExePath("../font/font.bmp");
    if (!LoadFont(readout, fontPath, fontPath).Loaded)
        return false;
    readout.With([](ReadoutState& state) {
        std::strcpy(state.Text.Frequency, "  1,000,000Hz -");
        std::strcpy(state.Text.Status, "P.S:[  1] G.T:[ 1.00sec]");
        std::strcpy(state.Text.Inductance, "L=               0.507uH");
    });
    return true;
}

// Two successive measurements: the last digits, the indicator and the
// inductance change, as they do from one record to the next.
constexpr const char* kFrequencies[2] = {"  1,000,000Hz -", "  1,000,263Hz |"};
constexpr const char* kInductances[2] = {"L=               0.507uH", "L=               0.506uH"};

// Runs body on the readout's state with the default font loaded and rows
// text rows shown (the L meter with 4), or skips the benchmark without the font.
template <class Body>
void RunWithDefaultFont(benchmark::State& bench, int rows, Body&& body)
{
    Readout readout;
    if (!LoadDefaultFont(readout)) {
        bench.SkipWithError("font/font.bmp not found beside the program");
        return;
    }
    readout.With([&](ReadoutState& state) {
        state.Metrics.Rows = static_cast<uint16_t>(rows);
        state.LMeterVisible = rows == 4 ? 1 : 0;
        body(state);
    });
}

// One record's compose: only the cells whose glyph changed are drawn.
void BM_ComposeReadout(benchmark::State& bench)
{
    RunWithDefaultFont(bench, static_cast<int>(bench.range(0)), [&](ReadoutState& state) {
        ComposeReadout(state);
        int next = 0;
        for (auto _ : bench) {
            next ^= 1;
            std::strcpy(state.Text.Frequency, kFrequencies[next]);
            std::strcpy(state.Text.Inductance, kInductances[next]);
            ComposeReadout(state);
            benchmark::DoNotOptimize(state.Images.BackBitmap.constBits());
        }
    });
}
BENCHMARK(BM_ComposeReadout)->ArgName("rows")->Arg(3)->Arg(4);

// The worst case: every cell drawn, as after a font load or an L-meter toggle.
void BM_ComposeReadoutFull(benchmark::State& bench)
{
    RunWithDefaultFont(bench, static_cast<int>(bench.range(0)), [&](ReadoutState& state) {
        for (auto _ : bench) {
            state.Images.BackBitmap.bits();  // a foreign touch forces the full redraw
            ComposeReadout(state);
            benchmark::DoNotOptimize(state.Images.BackBitmap.constBits());
        }
    });
}
BENCHMARK(BM_ComposeReadoutFull)->ArgName("rows")->Arg(3)->Arg(4);

void BM_PaintReadout(benchmark::State& bench)
{
    RunWithDefaultFont(bench, 3, [&](ReadoutState& state) {
        ComposeReadout(state);
        state.Metrics.Zoom = static_cast<int32_t>(bench.range(0));
        const PixelSize window = WindowSize(state.Metrics);
        QImage target(window.Width, window.Height, QImage::Format_RGB32);
        for (auto _ : bench) {
            QPainter painter(&target);
            PaintReadout(painter, state);
            painter.end();
            benchmark::DoNotOptimize(target.constBits());
        }
    });
}
BENCHMARK(BM_PaintReadout)->ArgName("zoom")->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
