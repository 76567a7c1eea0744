#pragma once

#include <cstdint>

struct ReadoutText;

inline constexpr double kInductanceLimit = 9999999.0;  // µH; a larger result shows as 0

// L in µH of the LC oscillator at frequency f (Hz) with C1, C2 in µF,
// already limited.
double ComputeInductance(uint32_t frequency, double c1, double c2);

// "L=%20suH" with the number grouped by thousands and three decimals.
void FormatInductanceLine(ReadoutText& text, double inductance);
