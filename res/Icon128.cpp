#include "res/Icon128.h"

#include <array>

namespace {

constexpr int kSide = 32;

// The 16 colours of the classic 4-bit palette.
enum Colour : uchar {
    Black = 0,
    DarkGreen = 2,
    DarkGrey = 8,
    LightGrey = 7,
    Green = 10,
    White = 15,
    Transparent = 16,  // mask: not a palette colour
};

constexpr std::array<QRgb, 16> kPalette = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

using Canvas = std::array<std::array<uchar, kSide>, kSide>;

void Fill(Canvas& canvas, int left, int top, int right, int bottom, uchar colour)
{
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            canvas[y][x] = colour;
}

// A filled box with a black outline.
void Box(Canvas& canvas, int left, int top, int right, int bottom, uchar colour)
{
    Fill(canvas, left, top, right, bottom, Black);
    Fill(canvas, left + 1, top + 1, right - 1, bottom - 1, colour);
}

// Low and high levels of four pixels each, with an upright edge at every change.
void DrawSquareWave(Canvas& canvas)
{
    constexpr int high = 6, low = 14, left = 8, right = 23, halfPeriod = 4;
    for (int x = left; x <= right; ++x) {
        const bool up = ((x - left) / halfPeriod) % 2 == 1;
        canvas[up ? high : low][x] = Black;
        if (x != left && (x - left) % halfPeriod == 0)
            Fill(canvas, x, high, x, low, Black);
    }
}

Canvas DrawIcon()
{
    Canvas canvas;
    for (auto& row : canvas)
        row.fill(Transparent);
    Box(canvas, 4, 0, 27, 20, LightGrey);    // monitor bezel
    Box(canvas, 6, 2, 25, 18, White);        // screen
    Fill(canvas, 7, 19, 24, 19, DarkGrey);   // bezel shadow
    DrawSquareWave(canvas);
    Box(canvas, 12, 20, 19, 23, DarkGrey);   // stand
    Box(canvas, 1, 23, 30, 31, LightGrey);   // desktop case
    Fill(canvas, 4, 26, 14, 26, Black);      // drive slot
    Fill(canvas, 2, 30, 29, 30, DarkGrey);   // case shadow
    Fill(canvas, 25, 26, 26, 27, Green);     // power lamp
    canvas[27][26] = DarkGreen;
    return canvas;
}

}  // namespace

QImage Icon128Image()
{
    const Canvas canvas = DrawIcon();
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const uchar index = canvas[y][x];
            image.setPixel(x, y, index == Transparent ? qRgba(0, 0, 0, 0) : kPalette[index]);
        }
    return image;
}

QIcon Icon128()
{
    return QIcon(QPixmap::fromImage(Icon128Image()));
}
