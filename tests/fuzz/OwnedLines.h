#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// An independent reading of which lines of Pelmora.ini belong to the program:
// in the first section of each name Window, Font, Port and LMeter (ASCII case
// ignored), the first line of each of its keys TopMost, Font, PortNumber,
// BaudRate, C1 and C2. Every other line belongs to the user.

// The file's lines as they stand between its '\n' bytes (a '\r' before one is
// kept), without a UTF-8 byte order mark at the start; a last line without a
// line end counts.
std::vector<std::string_view> SplitIniLines(std::string_view content);

// Indices into SplitIniLines(content) of the lines the program owns.
std::vector<std::size_t> OwnedLineIndices(std::string_view content);

// Empty when every line of before that the program does not own appears in
// after, in the same order, and after has at most the ten lines more that the
// program may add (four section headers, six keys); else what is wrong.
std::string UnownedLinesFault(std::string_view before, std::string_view after);
