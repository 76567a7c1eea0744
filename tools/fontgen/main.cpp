// Writes the read-out's bitmap fonts: 8 x 16 cells, code n in column n >> 4
// and row n & 15. Usage: pelmora_fontgen <output folder>
#include <array>
#include <cstdio>
#include <string>

#include "tools/fontgen/BmpWriter.h"
#include "tools/fontgen/GlyphRasteriser.h"
#include "tools/fontgen/SevenSegment.h"
#include "tools/fontgen/StrokeGlyphs.h"

namespace {

constexpr int kGridColumns = 8;
constexpr int kGridRows = 16;
constexpr int kCodes = 128;
constexpr double kDesignWidth = 8;
constexpr double kDesignHeight = 15;

struct FontStyle {
    const char* FileName;
    int CellWidth;
    int CellHeight;
    Rgb Ink;
    Rgb Ground;
    double StrokeWidth;      // pixels
    bool SevenSegmentDigits;
    bool Paletted;           // 8-bit with a palette instead of 24-bit
};

constexpr std::array kStyles{
    FontStyle{"font.bmp", 18, 24, {110, 255, 214}, {0, 12, 10}, 2.1, false, false},
    FontStyle{"led7seg.bmp", 18, 24, {255, 48, 24}, {8, 0, 0}, 2.6, true, false},
    FontStyle{"lcd.bmp", 18, 24, {24, 36, 28}, {156, 174, 140}, 2.1, false, true},
    FontStyle{"large24x32.bmp", 24, 32, {255, 176, 32}, {12, 6, 0}, 2.7, false, false},
};

GlyphPlacement PlacementFor(const FontStyle& style)
{
    GlyphPlacement placement;
    placement.ScaleX = style.CellWidth * 0.62 / kDesignWidth;
    placement.ScaleY = style.CellHeight * 0.80 / kDesignHeight;
    placement.Left = (style.CellWidth - kDesignWidth * placement.ScaleX) / 2;
    placement.Top = (style.CellHeight - kDesignHeight * placement.ScaleY) / 2;
    placement.StrokeWidth = style.StrokeWidth;
    return placement;
}

GlyphShape ShapeFor(const FontStyle& style, int code)
{
    if (style.SevenSegmentDigits) {
        const std::string segments = SevenSegmentGlyph(code);
        if (!segments.empty()) {
            GlyphShape shape = GlyphShape::Parse(segments);
            shape.Slant(0.08);
            return shape;
        }
    }
    return GlyphShape::Parse(StrokeGlyph(code));
}

Rgb Blend(const Rgb& ground, const Rgb& ink, int level)
{
    const auto mix = [level](uint8_t from, uint8_t to) {
        return static_cast<uint8_t>((from * (255 - level) + to * level + 127) / 255);
    };
    return {mix(ground.R, ink.R), mix(ground.G, ink.G), mix(ground.B, ink.B)};
}

bool WriteFont(const FontStyle& style, const std::string& folder)
{
    const int width = style.CellWidth * kGridColumns;
    const int height = style.CellHeight * kGridRows;
    CoverageImage coverage(width, height);
    const GlyphPlacement placement = PlacementFor(style);
    for (int code = 0; code < kCodes; ++code) {
        coverage.DrawGlyph(ShapeFor(style, code), (code >> 4) * style.CellWidth, (code & 15) * style.CellHeight,
                           style.CellWidth, style.CellHeight, placement);
    }
    const std::string path = folder + "/" + style.FileName;
    if (style.Paletted) {
        std::vector<Rgb> palette;
        for (int level = 0; level < 256; ++level)
            palette.push_back(Blend(style.Ground, style.Ink, level));
        std::vector<uint8_t> indices;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                indices.push_back(coverage.At(x, y));
        return WriteBmp8(path, width, height, indices, palette);
    }
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(Blend(style.Ground, style.Ink, coverage.At(x, y)));
    return WriteBmp24(path, width, height, pixels);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: pelmora_fontgen <output folder>\n", stderr);
        return 2;
    }
    for (const FontStyle& style : kStyles) {
        if (!WriteFont(style, argv[1])) {
            std::fprintf(stderr, "cannot write %s/%s\n", argv[1], style.FileName);
            return 1;
        }
    }
    return 0;
}
