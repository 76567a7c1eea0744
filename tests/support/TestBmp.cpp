#include "tests/support/TestBmp.h"

#include <fstream>

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

std::string LittleEndian(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

void Put(std::string& out, uint32_t value, int bytes)
{
    out += LittleEndian(value, bytes);
}

std::string Headers(int32_t width, int32_t height, int bitsPerPixel, uint32_t paletteEntries, uint32_t imageBytes,
                    uint32_t compression = 0)
{
    const uint32_t pixelOffset = 54 + paletteEntries * 4;
    std::string out = "BM";
    Put(out, pixelOffset + imageBytes, 4);
    Put(out, 0, 4);
    Put(out, pixelOffset, 4);
    Put(out, 40, 4);
    Put(out, static_cast<uint32_t>(width), 4);
    Put(out, static_cast<uint32_t>(height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<uint32_t>(bitsPerPixel), 2);
    Put(out, compression, 4);
    Put(out, imageBytes, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, paletteEntries, 4);
    Put(out, 0, 4);
    return out;
}

uint32_t Rgb555(QRgb colour)
{
    return (static_cast<uint32_t>(qRed(colour) >> 3) << 10) | (static_cast<uint32_t>(qGreen(colour) >> 3) << 5) |
           static_cast<uint32_t>(qBlue(colour) >> 3);
}

int32_t Field(const std::string& bytes, std::size_t offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes.at(offset + static_cast<std::size_t>(i)));
    return static_cast<int32_t>(value);
}

std::string BottomUpBmp(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// The bits of one pixel packed into a row that is being built MSB first.
void PutPixel(std::string& row, int bitsPerPixel, int x, std::size_t index, QRgb colour)
{
    if (bitsPerPixel < 8) {
        const int perByte = 8 / bitsPerPixel;
        const int shift = 8 - bitsPerPixel * (x % perByte + 1);
        row[static_cast<std::size_t>(x / perByte)] |= static_cast<char>(index << shift);
    } else if (bitsPerPixel == 8) {
        row[static_cast<std::size_t>(x)] = static_cast<char>(index);
    } else if (bitsPerPixel == 16) {
        row.replace(static_cast<std::size_t>(x) * 2, 2, LittleEndian(Rgb555(colour), 2));
    } else {
        const int bytes = bitsPerPixel / 8;
        row.replace(static_cast<std::size_t>(x * bytes), static_cast<std::size_t>(bytes),
                    LittleEndian(colour & 0xFFFFFF, bytes));
    }
}

} // namespace

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    EXPECT_TRUE(out) << path;
}

void WriteBmp(const std::string& path, const QImage& image)
{
    EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP")) << path;
}

void WriteTestBmp(const std::string& path, int bitsPerPixel, int width, int height, const std::vector<QRgb>& colours)
{
    const bool paletted = bitsPerPixel <= 8;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * bitsPerPixel + 31) / 32 * 4;
    std::string out = Headers(width, height, bitsPerPixel, paletted ? static_cast<uint32_t>(colours.size()) : 0,
                              rowBytes * static_cast<uint32_t>(height < 0 ? -height : height));
    if (paletted) {
        for (QRgb colour : colours)
            Put(out, colour & 0xFFFFFF, 4);
    }
    // A negative height stores the rows top first.
    const int rows = height < 0 ? -height : height;
    for (int i = 0; i < rows; ++i) {
        const int y = height < 0 ? i : rows - 1 - i;
        std::string row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const std::size_t index = static_cast<std::size_t>(x + 2 * y) % colours.size();
            PutPixel(row, bitsPerPixel, x, index, colours[index]);
        }
        out += row;
    }
    WriteBytes(path, out);
}

std::string BmpHeader(int32_t width, int32_t height, uint32_t compression)
{
    return Headers(width, height, 24, 0, 0, compression);
}

std::string TopDownBmp(const QImage& image)
{
    const std::string bytes = BottomUpBmp(image);
    if (bytes.size() < 54)
        return {};
    const auto pixels = static_cast<std::size_t>(Field(bytes, 10, 4));
    const int32_t height = Field(bytes, 22, 4);
    const auto rowBytes = static_cast<std::size_t>((image.width() * Field(bytes, 28, 2) + 31) / 32 * 4);
    std::string flipped = bytes.substr(0, pixels);
    for (int32_t row = height - 1; row >= 0; --row)
        flipped += bytes.substr(pixels + static_cast<std::size_t>(row) * rowBytes, rowBytes);
    flipped.replace(22, 4, LittleEndian(static_cast<uint32_t>(-height), 4));
    return flipped;
}
