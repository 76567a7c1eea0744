#include "app/ShownPicture.h"

#include <cstring>

#include "display/Readout.h"
#include "display/Composer.h"

namespace {

bool SameMetrics(const GlyphMetrics& a, const GlyphMetrics& b)
{
    return a.CellWidth == b.CellWidth && a.CellHeight == b.CellHeight && a.Rows == b.Rows &&
           a.Zoom == b.Zoom;
}

QRect WholeWindow(const GlyphMetrics& metrics)
{
    const PixelSize window = WindowSize(metrics);
    return {0, 0, window.Width, window.Height};
}

}  // namespace

bool ShownPicture::Matches(const ReadoutState& state) const
{
    const QImage& back = state.Images.BackBitmap;
    return SameMetrics(metrics_, state.Metrics) && back_.size() == back.size() &&
           back_.format() == back.format() && back_.isNull() == back.isNull();
}

void ShownPicture::TakeAll(ReadoutState& state)
{
    const QImage& back = state.Images.BackBitmap;
    if (Matches(state))
        CopyArea(back, back.rect());
    else
        back_ = back.copy();
    metrics_ = state.Metrics;
    state.Dirty = QRegion();
}

QRegion ShownPicture::TakeChanges(ReadoutState& state)
{
    if (!Matches(state)) {
        TakeAll(state);
        return WholeWindow(metrics_);
    }
    const QRegion changed = state.Dirty & back_.rect();
    state.Dirty = QRegion();
    QRegion repaint;
    for (const QRect& cells : changed) {
        CopyArea(state.Images.BackBitmap, cells);
        repaint += WindowArea(cells, metrics_);
    }
    return repaint & WholeWindow(metrics_);
}

// One rectangle at a time: a clip of several sends the scaled copy down a far slower path.
void ShownPicture::Paint(QPainter& painter, const QRegion& area) const
{
    for (const QRect& part : area)
        PaintReadout(painter, back_, metrics_, part);
}

void ShownPicture::CopyArea(const QImage& back, const QRect& area)
{
    if (area.isEmpty())
        return;
    const int depth = back.depth() / 8;
    const auto rowBytes = static_cast<std::size_t>(area.width() * depth);
    const uchar* source = back.constBits() + area.y() * back.bytesPerLine() + area.x() * depth;
    uchar* target = back_.bits() + area.y() * back_.bytesPerLine() + area.x() * depth;
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(target + y * back_.bytesPerLine(), source + y * back.bytesPerLine(), rowBytes);
}
