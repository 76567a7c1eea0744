#pragma once

#include <string_view>

// The stroke description (see GlyphShape::Parse) of a character code 0-127:
// every printable ASCII character, a hollow box for code 0 and a filled box
// for code 1 (the no-data indicator); other control codes are empty.
std::string_view StrokeGlyph(int code);
