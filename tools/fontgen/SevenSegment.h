#pragma once

#include <string>

// The stroke description of a seven-segment glyph for the digits and '-';
// empty for every other code, which keeps its ordinary glyph.
std::string SevenSegmentGlyph(int code);
