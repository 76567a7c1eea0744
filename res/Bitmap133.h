#pragma once

#include <QImage>

inline constexpr int kBitmap133Width = 237;
inline constexpr int kBitmap133Height = 203;

// The measuring oscillator as the L-meter dialog shows it: an inverter with
// R1 fed back over it, R2 from its output down to the coil L, C1 and C2 from
// either end of the coil to ground, and a second inverter buffering the
// output to OUT. Black on white, 237 x 203 pixels, 16-entry colour table.
QImage Bitmap133();
