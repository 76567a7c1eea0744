#pragma once

#include <string>

#include "display/ReadoutText.h"

// Shape checks of the read-out lines as a record or the watchdog leaves them:
// each returns an empty text when the line is sound, else what is wrong.
// Every line must end where its layout says and hold only zeros after that.

// "ddd,ddd,dddHz " or "---,---,---Hz " and the indicator glyph.
std::string FrequencyLineFault(const ReadoutText& text, char indicatorGlyph);
// "Not ReceiveHz " and the indicator's raw value 0 or 1.
std::string NoDataLineFault(const ReadoutText& text);
// "P.S:[%3d] G.T:[%2d.%c0sec]" with tenths as given.
std::string StatusLineFault(const ReadoutText& text, char tenths);
// "L=" twenty positions of a grouped number, "uH".
std::string InductanceLineFault(const ReadoutText& text);
