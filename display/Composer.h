#pragma once

#include <QRect>

#include "display/Readout.h"

class QImage;
class QPainter;

// One cell of the font image into the back buffer at scale 1 or 2, each
// pixel repeated scale times. Codes 128-255 draw the blank's cell (0x20);
// font pixels outside the loaded image draw black. A column outside 0-23, a
// row outside 0-3 or another scale draws nothing.
void DrawGlyph(ReadoutState& state, char code, int column, int row, int scale);

// The three lines into the back buffer; does not invalidate.
void ComposeReadout(ReadoutState& state);
// Whether ComposeReadout would draw any cell now: false when the lines show what
// the last compose drew.
bool ComposeWouldDraw(const ReadoutState& state);

// The top Rows rows of the back buffer, stretched by Zoom without smoothing,
// at (0, 0) of the painter's device. Does nothing while the back buffer is null.
void PaintReadout(QPainter& painter, const ReadoutState& state);

// The same from a back buffer and metrics held apart from the readout, only
// inside area (window pixels): there the pixels equal a full paint's, the
// rest of the device is left alone.
void PaintReadout(QPainter& painter, const QImage& back, const GlyphMetrics& metrics, const QRect& area);

// A rectangle of back-buffer pixels as window pixels at the metrics' zoom.
QRect WindowArea(const QRect& backArea, const GlyphMetrics& metrics);
