#include "display/GlyphMetrics.h"

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
