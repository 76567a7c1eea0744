#include "display/GlyphMetrics.h"

#include <algorithm>

PixelSize PictureSize(const GlyphMetrics& metrics)
{
    return {metrics.CellWidth * kReadoutColumns, metrics.CellHeight * metrics.Rows};
}

PixelSize WindowSize(const GlyphMetrics& metrics)
{
    const PixelSize picture = PictureSize(metrics);
    return {picture.Width * metrics.Zoom, picture.Height * metrics.Zoom};
}

PixelSize BackBufferSize(const GlyphMetrics& metrics)
{
    return {metrics.CellWidth * kReadoutColumns, metrics.CellHeight * kBackBufferRows};
}

bool ZoomByWheel(GlyphMetrics& metrics, int verticalDelta)
{
    const int step = verticalDelta > 0 ? 1 : -1;
    const int zoom = std::clamp(metrics.Zoom + step, kMinZoom, kMaxZoom);
    if (zoom == metrics.Zoom)
        return false;
    metrics.Zoom = zoom;
    return true;
}
