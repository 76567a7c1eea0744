#include <cmath>
#include <cstring>
#include <optional>
#include <set>

#include <QPainter>
#include <gtest/gtest.h>

#include "display/Composer.h"
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

// The read-out painted onto an unpainted image of the window's size; only
// inside area (window pixels) when one is given.
QImage Paint(const ReadoutState& state, double devicePixelRatio, std::optional<QRect> area = std::nullopt)
{
    const PixelSize window = WindowSize(state.Metrics);
    QImage target(static_cast<int>(std::lround(window.Width * devicePixelRatio)),
                  static_cast<int>(std::lround(window.Height * devicePixelRatio)), QImage::Format_RGB32);
    target.setDevicePixelRatio(devicePixelRatio);
    target.fill(kUnpainted);
    QPainter painter(&target);
    if (area)
        PaintReadout(painter, state.Images.BackBitmap, state.Metrics, *area);
    else
        PaintReadout(painter, state);
    painter.end();
    return target;
}

// How many pixels of image fail expected(x, y, pixel).
template <class Expected>
int CountWrongPixels(const QImage& image, Expected&& expected)
{
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += expected(x, y, image.pixel(x, y)) ? 0 : 1;
    return wrong;
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
            EXPECT_EQ(CountWrongPixels(painted, [&](int x, int y, QRgb pixel) {
                          return pixel == back.pixel(x / zoom, y / zoom);
                      }),
                      0);
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
        EXPECT_EQ(CountWrongPixels(painted, [&](int, int, QRgb pixel) { return backColours.count(pixel) != 0; }), 0)
            << "device pixels with a colour not in the back buffer, or left unpainted";
    }
}

TEST(PaintReadoutTest, NullBackBufferPaintsNothing)
{
    ReadoutState state;
    const QImage painted = Paint(state, 1.0);
    EXPECT_EQ(painted.pixel(0, 0), kUnpainted);
    EXPECT_EQ(painted.pixel(painted.width() - 1, painted.height() - 1), kUnpainted);
}

// A paint limited to an area gives there exactly the pixels of a full paint.
TEST(PaintReadoutTest, PartialPaintEqualsTheFullPaintInsideItsArea)
{
    ReadoutState state = ComposedState(3);
    const QRect areas[] = {{0, 0, 1, 1}, {17, 5, 40, 30}, {23 * 18 - 1, 10, 3, 200}, {-5, -5, 5000, 5000}};
    for (int zoom = kMinZoom; zoom <= kMaxZoom; ++zoom) {
        state.Metrics.Zoom = zoom;
        const QImage full = Paint(state, 1.0);
        for (const QRect& area : areas) {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << " area " << area.x() << "," << area.y());
            EXPECT_EQ(CountWrongPixels(Paint(state, 1.0, area), [&](int x, int y, QRgb pixel) {
                          return pixel == (area.contains(x, y) ? full.pixel(x, y) : kUnpainted);
                      }),
                      0);
        }
    }
}

} // namespace
