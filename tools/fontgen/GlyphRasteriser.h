#pragma once

#include <cstdint>
#include <vector>

#include "tools/fontgen/GlyphShape.h"

// Where a glyph's design grid lands in a cell, in pixels.
struct GlyphPlacement {
    double Left = 0;        // x of design x 0
    double Top = 0;         // y of design y 0
    double ScaleX = 1;      // pixels per design unit
    double ScaleY = 1;
    double StrokeWidth = 2; // pixels
};

// An ink coverage map, 0 (background) to 255 (full ink), row after row from the top.
class CoverageImage {
public:
    CoverageImage(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint8_t At(int x, int y) const { return levels_[Index(x, y)]; }

    // Draws shape into the cell whose top-left pixel is (cellX, cellY), antialiased by 4 x 4
    // samples per pixel; nothing outside the cell is touched.
    void DrawGlyph(const GlyphShape& shape, int cellX, int cellY, int cellWidth, int cellHeight,
                   const GlyphPlacement& placement);

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<uint8_t> levels_;
};
