#pragma once

#include <QImage>

// The font image (as loaded, converted to RGB32) and the back buffer
// (CellWidth x 24 by CellHeight x 4, RGB32). Both null until the first font load.
struct FontImages {
    QImage FontBitmap;
    QImage BackBitmap;
};
