#include "tools/fontgen/GlyphRasteriser.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamplesPerAxis = 4;

struct PixelPoint {
    double X = 0;
    double Y = 0;
};

struct PixelSegment {
    PixelPoint From;
    PixelPoint To;
};

struct PixelRect {
    PixelPoint TopLeft;
    PixelPoint BottomRight;
};

PixelPoint ToPixels(DesignPoint point, double cellX, double cellY, const GlyphPlacement& placement)
{
    return {cellX + placement.Left + point.X * placement.ScaleX, cellY + placement.Top + point.Y * placement.ScaleY};
}

double SquaredDistance(PixelPoint p, const PixelSegment& segment)
{
    const double dx = segment.To.X - segment.From.X;
    const double dy = segment.To.Y - segment.From.Y;
    const double length2 = dx * dx + dy * dy;
    double t = 0;
    if (length2 > 0)
        t = std::clamp(((p.X - segment.From.X) * dx + (p.Y - segment.From.Y) * dy) / length2, 0.0, 1.0);
    const double ex = p.X - (segment.From.X + t * dx);
    const double ey = p.Y - (segment.From.Y + t * dy);
    return ex * ex + ey * ey;
}

bool Inked(PixelPoint p, const std::vector<PixelSegment>& segments, const std::vector<PixelRect>& fills,
           double radius2)
{
    for (const PixelRect& rect : fills) {
        if (p.X >= rect.TopLeft.X && p.X < rect.BottomRight.X && p.Y >= rect.TopLeft.Y && p.Y < rect.BottomRight.Y)
            return true;
    }
    return std::any_of(segments.begin(), segments.end(),
                       [&](const PixelSegment& segment) { return SquaredDistance(p, segment) <= radius2; });
}

} // namespace

CoverageImage::CoverageImage(int width, int height)
    : width_(width), height_(height), levels_(static_cast<std::size_t>(width) * height, 0)
{
}

void CoverageImage::DrawGlyph(const GlyphShape& shape, int cellX, int cellY, int cellWidth, int cellHeight,
                              const GlyphPlacement& placement)
{
    std::vector<PixelSegment> segments;
    for (const StrokeSegment& segment : shape.Segments)
        segments.push_back({ToPixels(segment.From, cellX, cellY, placement), ToPixels(segment.To, cellX, cellY, placement)});
    std::vector<PixelRect> fills;
    for (const FilledRect& rect : shape.Fills)
        fills.push_back({ToPixels(rect.TopLeft, cellX, cellY, placement), ToPixels(rect.BottomRight, cellX, cellY, placement)});
    const double radius = placement.StrokeWidth / 2;
    constexpr int kSamples = kSamplesPerAxis * kSamplesPerAxis;
    for (int y = cellY; y < std::min(cellY + cellHeight, height_); ++y) {
        for (int x = cellX; x < std::min(cellX + cellWidth, width_); ++x) {
            int hits = 0;
            for (int s = 0; s < kSamples; ++s) {
                const PixelPoint sample{x + (s % kSamplesPerAxis + 0.5) / kSamplesPerAxis,
                                        y + (s / kSamplesPerAxis + 0.5) / kSamplesPerAxis};
                hits += Inked(sample, segments, fills, radius * radius) ? 1 : 0;
            }
            levels_[Index(x, y)] = static_cast<uint8_t>(hits * 255 / kSamples);
        }
    }
}
