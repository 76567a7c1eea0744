#include "display/Composer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <QPainter>

namespace {

constexpr QRgb kMissingPixel = qRgb(0, 0, 0);
constexpr int kBlankCode = 0x20;
constexpr int kLargeDigits = 11;

// Where a code's cell starts in the font image; codes 128-255 use the blank's cell.
QPoint CellOrigin(char code, const GlyphMetrics& metrics)
{
    const int unsignedCode = static_cast<unsigned char>(code);
    const int cell = unsignedCode < 128 ? unsignedCode : kBlankCode;
    return {(cell >> 4) * metrics.CellWidth, (cell & 15) * metrics.CellHeight};
}

// One pixel row of a cell into dst, each pixel repeated scale times; font
// pixels outside the image are black, destination pixels outside dst skipped.
void CopyCellRow(const QImage& font, QPoint source, int width, int scale, QRgb* dst, int dstX,
                 int dstWidth)
{
    const bool rowInFont = source.y() < font.height();
    const auto* src = rowInFont ? reinterpret_cast<const QRgb*>(font.constScanLine(source.y())) : nullptr;
    const bool fast = scale == 1 && rowInFont && source.x() + width <= font.width() && dstX >= 0 &&
                      dstX + width <= dstWidth;
    if (fast) {
        std::memcpy(dst + dstX, src + source.x(), sizeof(QRgb) * static_cast<std::size_t>(width));
        return;
    }
    for (int i = 0; i < width; ++i) {
        const int x = source.x() + i;
        const QRgb pixel = src != nullptr && x < font.width() ? src[x] : kMissingPixel;
        for (int k = 0; k < scale; ++k) {
            const int d = dstX + i * scale + k;
            if (d >= 0 && d < dstWidth)
                dst[d] = pixel;
        }
    }
}

// The common case: the whole cell lies inside the font image and the back buffer.
void CopyWholeCell(const QImage& font, QPoint source, QImage& back, QPoint target, QSize cell, int scale)
{
    const auto rowBytes = sizeof(QRgb) * static_cast<std::size_t>(cell.width() * scale);
    const auto fontLine = [&font, source](int y) {
        return reinterpret_cast<const QRgb*>(font.constBits() + (source.y() + y) * font.bytesPerLine()) + source.x();
    };
    uchar* backBits = back.bits();
    const auto backLine = [backBits, &back, target](int y) {
        return reinterpret_cast<QRgb*>(backBits + (target.y() + y) * back.bytesPerLine()) + target.x();
    };
    for (int y = 0; y < cell.height(); ++y) {
        const QRgb* src = fontLine(y);
        QRgb* dst = backLine(y * scale);
        if (scale == 1) {
            std::memcpy(dst, src, rowBytes);
            continue;
        }
        for (int x = 0; x < cell.width(); ++x)
            dst[2 * x] = dst[2 * x + 1] = src[x];
        std::memcpy(backLine(y * scale + 1), dst, rowBytes);
    }
}

// Any other case, pixel by pixel within both images.
void CopyClippedCell(const QImage& font, QPoint source, QImage& back, QPoint target, QSize cell, int scale)
{
    for (int y = 0; y < cell.height(); ++y) {
        for (int k = 0; k < scale; ++k) {
            const int line = target.y() + y * scale + k;
            if (line >= back.height())
                return;
            auto* dst = reinterpret_cast<QRgb*>(back.scanLine(line));
            CopyCellRow(font, source + QPoint(0, y), cell.width(), scale, dst, target.x(), back.width());
        }
    }
}

} // namespace

void DrawGlyph(ReadoutState& state, char code, int column, int row, int scale)
{
    QImage& back = state.Images.BackBitmap;
    const bool inGrid = column >= 0 && column < kReadoutColumns && row >= 0 && row < kBackBufferRows;
    if (back.isNull() || !inGrid || scale < 1 || scale > 2)
        return;
    const GlyphMetrics& metrics = state.Metrics;
    const QImage& font = state.Images.FontBitmap;
    const QSize cell(metrics.CellWidth, metrics.CellHeight);
    const QPoint source = CellOrigin(code, metrics);
    const QPoint target(column * cell.width(), row * cell.height());
    const bool sourceInside = QRect(QPoint(0, 0), font.size()).contains(QRect(source, cell));
    const bool targetInside = QRect(QPoint(0, 0), back.size()).contains(QRect(target, cell * scale));
    if (sourceInside && targetInside)
        CopyWholeCell(font, source, back, target, cell, scale);
    else
        CopyClippedCell(font, source, back, target, cell, scale);
}

namespace {

// One cell draw of a compose: which code goes where, at which scale.
struct CellDraw {
    char Code;
    int Column;
    int Row;
    int Scale;
};

// The draws of a compose in slot order: 39 without the L meter, 63 with it.
int ListCellDraws(const ReadoutState& state, std::array<CellDraw, ComposeMemory::kSlots>& draws)
{
    const ReadoutText& text = state.Text;
    int count = 0;
    for (int i = 0; i < kLargeDigits; ++i)
        draws[count++] = {text.Frequency[i], 2 * i, 0, 2};
    draws[count++] = {text.Frequency[11], 22, 1, 1};
    draws[count++] = {text.Frequency[12], 23, 1, 1};
    draws[count++] = {text.Frequency[13], 22, 0, 1};
    draws[count++] = {text.Frequency[14], 23, 0, 1};
    const bool lmeter = state.LMeterVisible != 0;
    for (int i = 0; i < kReadoutColumns; ++i)
        draws[count++] = {lmeter ? text.Inductance[i] : text.Status[i], i, 2, 1};
    if (lmeter)
        for (int i = 0; i < kReadoutColumns; ++i)
            draws[count++] = {text.Status[i], i, 3, 1};
    return count;
}

// Whether the back buffer still holds exactly what the last compose left there.
bool MemoryHolds(const ReadoutState& state)
{
    const ComposeMemory& memory = state.Composed;
    return memory.Valid && memory.FontKey == state.Images.FontBitmap.cacheKey() &&
           memory.BackKey == state.Images.BackBitmap.cacheKey() &&
           memory.CellWidth == state.Metrics.CellWidth && memory.CellHeight == state.Metrics.CellHeight &&
           memory.LMeterVisible == state.LMeterVisible;
}

void Remember(ReadoutState& state)
{
    ComposeMemory& memory = state.Composed;
    memory.FontKey = state.Images.FontBitmap.cacheKey();
    memory.BackKey = state.Images.BackBitmap.cacheKey();
    memory.CellWidth = state.Metrics.CellWidth;
    memory.CellHeight = state.Metrics.CellHeight;
    memory.LMeterVisible = state.LMeterVisible;
    memory.Valid = !state.Images.BackBitmap.isNull();
}

QRect CellArea(const ReadoutState& state, const CellDraw& draw)
{
    const int width = state.Metrics.CellWidth;
    const int height = state.Metrics.CellHeight;
    const QRect area(draw.Column * width, draw.Row * height, width * draw.Scale, height * draw.Scale);
    return area & state.Images.BackBitmap.rect();
}

}  // namespace

void ComposeReadout(ReadoutState& state)
{
    std::array<CellDraw, ComposeMemory::kSlots> draws;
    const int count = ListCellDraws(state, draws);
    const bool incremental = MemoryHolds(state);
    for (int slot = 0; slot < count; ++slot) {
        const CellDraw& draw = draws[slot];
        const auto code = static_cast<int16_t>(static_cast<unsigned char>(draw.Code));
        if (incremental && state.Composed.Codes[slot] == code)
            continue;
        DrawGlyph(state, draw.Code, draw.Column, draw.Row, draw.Scale);
        state.Composed.Codes[slot] = code;
        state.Dirty += CellArea(state, draw);
    }
    Remember(state);
}

bool ComposeWouldDraw(const ReadoutState& state)
{
    if (!MemoryHolds(state))
        return true;
    std::array<CellDraw, ComposeMemory::kSlots> draws;
    const int count = ListCellDraws(state, draws);
    for (int slot = 0; slot < count; ++slot) {
        if (state.Composed.Codes[slot] != static_cast<unsigned char>(draws[slot].Code))
            return true;
    }
    return false;
}

// The painter works in logical pixels and maps them to device pixels by the
// device's ratio. Without smoothing or antialiasing the raster engine takes
// the nearest back-buffer pixel for every device pixel, so at a fractional
// ratio some back-buffer pixels cover one device pixel more than their
// neighbours, but no colour is ever blended.
void PaintReadout(QPainter& painter, const ReadoutState& state)
{
    const PixelSize window = WindowSize(state.Metrics);
    PaintReadout(painter, state.Images.BackBitmap, state.Metrics, QRect(0, 0, window.Width, window.Height));
}

// Clipping keeps the one stretched copy, so every pixel inside area is the one
// a full paint gives; the raster engine scales only the clipped part.
void PaintReadout(QPainter& painter, const QImage& back, const GlyphMetrics& metrics, const QRect& area)
{
    const PixelSize picture = PictureSize(metrics);
    const PixelSize window = WindowSize(metrics);
    const QRect target(0, 0, window.Width, window.Height);
    if (back.isNull() || target.isEmpty() || !area.intersects(target))
        return;
    painter.save();
    painter.setClipRect(area & target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawImage(target, back, QRect(0, 0, picture.Width, std::min(picture.Height, back.height())));
    painter.restore();
}

QRect WindowArea(const QRect& backArea, const GlyphMetrics& metrics)
{
    const int zoom = metrics.Zoom;
    return {backArea.x() * zoom, backArea.y() * zoom, backArea.width() * zoom, backArea.height() * zoom};
}
