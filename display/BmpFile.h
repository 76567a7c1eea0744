#pragma once

#include <cstdint>
#include <string>

#include <QImage>

// The program's one way of reading BMP files, for the fonts and for the font
// dialog's preview alike. A header may claim any size; font bitmaps are far
// smaller than these bounds, so a larger claim is no font.
inline constexpr int kMaxBmpSide = 16384;
inline constexpr int kBmpAllocationLimitMB = 64;

// Width and height as the header states them (a negative height marks a
// top-down file); 1 when both headers were read, else 0 with both set to 0.
int ProbeBitmapSize(const std::string& path, int32_t& width, int32_t& height);

// The file as RGB32 when it is a BMP within the bounds; a null image otherwise
// (a PNG named .bmp included).
QImage ReadBmp(const std::string& path);
