#include <cmath>
#include <cstring>
#include <set>

#include <QPainter>
#include <gtest/gtest.h>

#include "display/Renderer.h"
#include "tests/display/SyntheticFont.h"

namespace {

constexpr QRgb kUnpainted = qRgb(255, 255, 255);  // never in the synthetic font

ReadoutState ComposedState(int rows)
{
    ReadoutState state = SyntheticState(18, 24);
    std::strcpy(state.Text.Frequency, "123,456,789Hz -");
    std::strcpy(state.Text.Status, "P.S:[  1] G.T:[ 1.00sec]");
    std::strcpy(state.Text.Inductance, "L=           5,066.059uH");
    state.LMeterVisible = rows == 4 ? 1 : 0;
    state.Metrics.Rows = static_cast<uint16_t>(rows);
    ComposeReadout(state);
    return state;
}

QImage Paint(const ReadoutState& state, double devicePixelRatio)
{
    const PixelSize window = WindowSize(state.Metrics);
    QImage target(static_cast<int>(std::lround(window.Width * devicePixelRatio)),
                  static_cast<int>(std::lround(window.Height * devicePixelRatio)), QImage::Format_RGB32);
    target.setDevicePixelRatio(devicePixelRatio);
    target.fill(kUnpainted);
    QPainter painter(&target);
    PaintReadout(painter, state);
    painter.end();
    return target;
}

TEST(PaintReadoutTest, EveryWindowPixelRepeatsItsBackBufferPixel)
{
    for (const int rows : {3, 4}) {
        for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
            SCOPED_TRACE(testing::Message() << rows << " rows, zoom " << zoom);
            ReadoutState state = ComposedState(rows);
            state.Metrics.Zoom = zoom;
            const QImage painted = Paint(state, 1.0);
            const QImage& back = state.Images.BackBitmap;
            ASSERT_EQ(painted.size(), QSize(432 * zoom, 24 * rows * zoom));
            int mismatches = 0;
            for (int y = 0; y < painted.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
                for (int x = 0; x < painted.width(); ++x)
                    mismatches += line[x] != back.pixel(x / zoom, y / zoom) ? 1 : 0;
            }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

TEST(PaintReadoutTest, FractionalDeviceRatioBlendsNoColours)
{
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        ReadoutState state = ComposedState(4);
        state.Metrics.Zoom = zoom;
        const QImage painted = Paint(state, 1.5);
        std::set<QRgb> backColours;
        const QImage& back = state.Images.BackBitmap;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x)
                backColours.insert(back.pixel(x, y));
        int foreign = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x)
                foreign += backColours.count(painted.pixel(x, y)) == 0 ? 1 : 0;
        EXPECT_EQ(foreign, 0) << "device pixels with a colour not in the back buffer, or left unpainted";
    }
}

TEST(PaintReadoutTest, NullBackBufferPaintsNothing)
{
    ReadoutState state;
    const QImage painted = Paint(state, 1.0);
    EXPECT_EQ(painted.pixel(0, 0), kUnpainted);
    EXPECT_EQ(painted.pixel(painted.width() - 1, painted.height() - 1), kUnpainted);
}

} // namespace
