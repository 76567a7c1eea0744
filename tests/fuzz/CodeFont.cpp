#include "tests/fuzz/CodeFont.h"

#include <algorithm>

QImage CodeFont(int cellWidth, int cellHeight, int cropPixels)
{
    const int width = std::max(1, cellWidth * 8 - cropPixels);
    const int height = std::max(1, cellHeight * 16 - cropPixels);
    QImage font(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int code = (x / cellWidth) * 16 + y / cellHeight;
            font.setPixel(x, y, qRgb(code, 255 - code, 128));
        }
    }
    return font;
}

ReadoutState CodeFontState(int cellWidth, int cellHeight, int cropPixels)
{
    ReadoutState state;
    ResetReadoutText(state.Text);
    state.Metrics.CellWidth = static_cast<uint16_t>(cellWidth);
    state.Metrics.CellHeight = static_cast<uint16_t>(cellHeight);
    state.Images.FontBitmap = CodeFont(cellWidth, cellHeight, cropPixels);
    const PixelSize back = BackBufferSize(state.Metrics);
    state.Images.BackBitmap = QImage(back.Width, back.Height, QImage::Format_RGB32);
    state.Images.BackBitmap.fill(Qt::black);
    return state;
}
