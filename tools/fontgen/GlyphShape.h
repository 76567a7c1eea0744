#pragma once

#include <string_view>
#include <vector>

// Glyphs are drawn in design units: x from 0 to 8, capitals from y 0 (top)
// to 12 (baseline), lower case from 4, descenders down to 15.
struct DesignPoint {
    double X = 0;
    double Y = 0;
};

struct StrokeSegment {
    DesignPoint From;
    DesignPoint To;
};

struct FilledRect {
    DesignPoint TopLeft;
    DesignPoint BottomRight;
};

// One glyph as round-capped stroke segments and filled rectangles.
struct GlyphShape {
    std::vector<StrokeSegment> Segments;
    std::vector<FilledRect> Fills;

    // Parses a glyph description: strokes separated by '|'. A stroke is a
    // polyline of "x,y" points and arcs "(cx,cy,rx,ry,a0,a1)" (degrees, 0 to
    // the right, 90 downwards, from a0 to a1 in either direction); a stroke of
    // one point is a dot. "R x0,y0,x1,y1" is a filled rectangle.
    static GlyphShape Parse(std::string_view description);

    // Slants the glyph: x moves right by factor times the height above the baseline.
    void Slant(double factor);
};
