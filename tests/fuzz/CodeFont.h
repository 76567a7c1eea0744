#pragma once

#include <QImage>

#include "display/Readout.h"

// A font image of 8 x 16 cells in which every cell is filled with a colour
// made from its character code, cropped by cropPixels on the right and at the
// bottom so that some cells reach past the image.
QImage CodeFont(int cellWidth, int cellHeight, int cropPixels = 0);

// A readout state as LoadFont leaves it: the texts reset, the code font
// loaded and a black back buffer of the metrics' size.
ReadoutState CodeFontState(int cellWidth, int cellHeight, int cropPixels = 0);
