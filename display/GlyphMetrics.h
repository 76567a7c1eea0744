#pragma once

#include <cstdint>

// Glyph cell size, text rows shown (3, or 4 with the inductance line) and
// window zoom (1 to 5).
struct GlyphMetrics {
    uint16_t CellWidth = 18;
    uint16_t CellHeight = 24;
    uint16_t Rows = 3;
    int32_t Zoom = 1;
};

inline constexpr int kReadoutColumns = 24;
inline constexpr int kBackBufferRows = 4;
inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 5;

struct PixelSize {
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// CellWidth x 24 by CellHeight x Rows.
PixelSize PictureSize(const GlyphMetrics& metrics);
// The picture times Zoom: the main window's client size.
PixelSize WindowSize(const GlyphMetrics& metrics);
// CellWidth x 24 by CellHeight x 4, whatever Rows is.
PixelSize BackBufferSize(const GlyphMetrics& metrics);

// The wheel's zoom rule: one step per event, delta > 0 in, delta <= 0 out,
// within 1 to 5. Returns true when Zoom changed (resize and invalidate then).
// verticalDelta is angleDelta().y(); a delta of 0 counts as a backward turn,
// so the window calls this only when y() != 0 and ignores purely horizontal
// turns, which must change nothing.
bool ZoomByWheel(GlyphMetrics& metrics, int verticalDelta);
