#pragma once

#include <QFont>
#include <QRect>

// Dialog layouts are given in dialog units, as the dialog templates have them:
// a horizontal unit is a quarter of the dialog font's average character width,
// a vertical unit an eighth of its height.
struct DialogBaseUnits {
    int X = 0;  // average character width in pixels
    int Y = 0;  // character height in pixels
};

// "ＭＳ Ｐゴシック" 9 pt, falling back to an installed Japanese gothic.
QFont DialogFont();

DialogBaseUnits MeasureBaseUnits(const QFont& font);

// A template rectangle (x, y, width, height in dialog units) in pixels.
QRect DialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);
