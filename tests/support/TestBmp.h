#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QColor>

class QImage;

// Writes an uncompressed bottom-up BMP of bitsPerPixel 1, 4, 8, 16, 24 or 32
// whose pixel (x, y) is colours[(x + 2 * y) % colours.size()]. Paletted
// depths store colours as the palette; 16-bit uses 5-5-5. A negative height
// writes a top-down BMP of |height| rows.
void WriteTestBmp(const std::string& path, int bitsPerPixel, int width, int height,
                  const std::vector<QRgb>& colours);

// Just the 54 bytes of the two headers with the given size fields and
// compression method (0 is none; 99 is no method at all).
std::string BmpHeader(int32_t width, int32_t height, uint32_t compression = 0);

// Writes bytes as they are; fails the test when they cannot be written.
void WriteBytes(const std::string& path, const std::string& bytes);

// Writes image as Qt writes a BMP file (bottom-up); fails the test when it cannot.
void WriteBmp(const std::string& path, const QImage& image);

// image as a top-down BMP file (negative height in the header).
std::string TopDownBmp(const QImage& image);
