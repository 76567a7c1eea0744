#include "tools/fontgen/BmpWriter.h"

#include <fstream>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dpi

void Put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t RowBytes(int width, int bitsPerPixel)
{
    return (static_cast<uint32_t>(width) * bitsPerPixel / 8 + 3) & ~3u;
}

std::vector<uint8_t> Headers(int width, int height, int bitsPerPixel, uint32_t paletteEntries)
{
    const uint32_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + paletteEntries * 4;
    const uint32_t imageBytes = RowBytes(width, bitsPerPixel) * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageBytes);
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, kInfoHeaderBytes);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bitsPerPixel));
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, paletteEntries);
    Put32(out, 0);
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

bool WriteBmp24(const std::string& path, int width, int height, const std::vector<Rgb>& pixels)
{
    std::vector<uint8_t> out = Headers(width, height, 24, 0);
    const uint32_t padding = RowBytes(width, 24) - static_cast<uint32_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& pixel = pixels[static_cast<std::size_t>(y) * width + x];
            out.insert(out.end(), {pixel.B, pixel.G, pixel.R});
        }
        out.insert(out.end(), padding, 0);
    }
    return WriteFile(path, out);
}

bool WriteBmp8(const std::string& path, int width, int height, const std::vector<uint8_t>& indices,
               const std::vector<Rgb>& palette)
{
    std::vector<uint8_t> out = Headers(width, height, 8, static_cast<uint32_t>(palette.size()));
    for (const Rgb& colour : palette)
        out.insert(out.end(), {colour.B, colour.G, colour.R, 0});
    const uint32_t padding = RowBytes(width, 8) - static_cast<uint32_t>(width);
    for (int y = height - 1; y >= 0; --y) {
        const auto row = indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
        out.insert(out.end(), row, row + width);
        out.insert(out.end(), padding, 0);
    }
    return WriteFile(path, out);
}
