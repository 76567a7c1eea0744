#pragma once

#include <QImage>

#include "display/Readout.h"

// A font image in which every pixel tells where it came from: red is the
// character code, green the x and blue the y inside the cell.
QImage SyntheticFont(int cellWidth, int cellHeight);

// The colour of pixel (x, y) of code's cell in SyntheticFont.
QRgb SyntheticPixel(int code, int x, int y);

// A readout state with the synthetic font loaded, a black back buffer and
// the given cell size.
ReadoutState SyntheticState(int cellWidth, int cellHeight);

// Writes code's cell at scale into expected, at the given cell position,
// exactly as the renderer is meant to.
void PutExpectedGlyph(QImage& expected, const GlyphMetrics& metrics, int code, int column, int row, int scale);
