#pragma once

#include <cstdint>
#include <string>

#include <QRect>

#include "display/Readout.h"

class QImage;
class QPainter;

// What the renderer needs of the main window. The window implements it; tests
// implement it with a fake.
class ReadoutWindow {
public:
    virtual ~ReadoutWindow() = default;
    // Make the client area width x height, keeping the top-left corner.
    virtual void ResizeWindow(PixelSize size) = 0;
    // Show "Can't Open font [...]" (warning, OK only), then end the main
    // window as its own OK action does: the program ends without saving.
    virtual void FailFontLoad(const std::string& message) = 0;
};

// Width and height from a BMP header; 1 when a header was read, else 0.
int ProbeBitmapSize(const std::string& path, int32_t& width, int32_t& height);

// Loads the font named by fontPath (falling back to defaultFontPath, which
// then replaces fontPath), sets the cell size, resizes the window, rebuilds
// the images and composes. Returns false on the failure path. Takes the
// readout lock itself and never calls the window while holding it.
bool LoadFont(Readout& readout, std::string& fontPath, const std::string& defaultFontPath,
              ReadoutWindow& window);

// One cell of the font image into the back buffer at scale 1 or 2, each
// pixel repeated scale times. Codes 128-255 draw the blank's cell (0x20);
// font pixels outside the loaded image draw black. A column outside 0-23, a
// row outside 0-3 or another scale draws nothing.
void DrawGlyph(ReadoutState& state, char code, int column, int row, int scale);

// The three lines into the back buffer; does not invalidate.
void ComposeReadout(ReadoutState& state);

// The top Rows rows of the back buffer, stretched by Zoom without smoothing,
// at (0, 0) of the painter's device. Does nothing while the back buffer is null.
void PaintReadout(QPainter& painter, const ReadoutState& state);

// The same from a back buffer and metrics held apart from the readout, only
// inside area (window pixels): there the pixels equal a full paint's, the
// rest of the device is left alone.
void PaintReadout(QPainter& painter, const QImage& back, const GlyphMetrics& metrics, const QRect& area);

// A rectangle of back-buffer pixels as window pixels at the metrics' zoom.
QRect WindowArea(const QRect& backArea, const GlyphMetrics& metrics);

// The wheel's zoom rule: one step per event, delta > 0 in, delta <= 0 out,
// within 1 to 5. Returns true when Zoom changed (resize and invalidate then).
// verticalDelta is angleDelta().y(); a delta of 0 counts as a backward turn,
// so the window calls this only when y() != 0 and ignores purely horizontal
// turns, which must change nothing.
bool ZoomByWheel(GlyphMetrics& metrics, int verticalDelta);
