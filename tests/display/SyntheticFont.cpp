#include "tests/display/SyntheticFont.h"

QRgb SyntheticPixel(int code, int x, int y)
{
    return qRgb(code, x, y);
}

QImage SyntheticFont(int cellWidth, int cellHeight)
{
    QImage font(cellWidth * 8, cellHeight * 16, QImage::Format_RGB32);
    for (int code = 0; code < 128; ++code) {
        for (int y = 0; y < cellHeight; ++y) {
            for (int x = 0; x < cellWidth; ++x)
                font.setPixel((code >> 4) * cellWidth + x, (code & 15) * cellHeight + y, SyntheticPixel(code, x, y));
        }
    }
    return font;
}

ReadoutState SyntheticState(int cellWidth, int cellHeight)
{
    ReadoutState state;
    state.Metrics.CellWidth = static_cast<uint16_t>(cellWidth);
    state.Metrics.CellHeight = static_cast<uint16_t>(cellHeight);
    state.Images.FontBitmap = SyntheticFont(cellWidth, cellHeight);
    state.Images.BackBitmap = QImage(cellWidth * 24, cellHeight * 4, QImage::Format_RGB32);
    state.Images.BackBitmap.fill(Qt::black);
    return state;
}

void PutExpectedGlyph(QImage& expected, const GlyphMetrics& metrics, int code, int column, int row, int scale)
{
    for (int y = 0; y < metrics.CellHeight * scale; ++y) {
        for (int x = 0; x < metrics.CellWidth * scale; ++x) {
            expected.setPixel(column * metrics.CellWidth + x, row * metrics.CellHeight + y,
                              SyntheticPixel(code, x / scale, y / scale));
        }
    }
}
