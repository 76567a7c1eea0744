#include "display/BmpFile.h"

#include <array>
#include <cstdlib>
#include <fstream>

#include <QFile>
#include <QImageReader>

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kWidthOffset = 4;
constexpr std::size_t kHeightOffset = 8;

int32_t ReadLittleEndian32(const std::array<char, kInfoHeaderBytes>& bytes, std::size_t offset)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return static_cast<int32_t>(value);
}

}  // namespace

int ProbeBitmapSize(const std::string& path, int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return 0;
    std::array<char, kFileHeaderBytes> fileHeader{};
    if (!file.read(fileHeader.data(), fileHeader.size()) || fileHeader[0] != 'B' || fileHeader[1] != 'M')
        return 0;
    std::array<char, kInfoHeaderBytes> infoHeader{};
    if (!file.read(infoHeader.data(), infoHeader.size()))
        return 0;
    width = ReadLittleEndian32(infoHeader, kWidthOffset);
    height = ReadLittleEndian32(infoHeader, kHeightOffset);
    return 1;
}

QImage ReadBmp(const std::string& path)
{
    QImageReader reader(QFile::decodeName(path.c_str()), QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(kBmpAllocationLimitMB);
    const qint64 width = reader.size().width();
    const qint64 height = std::abs(static_cast<qint64>(reader.size().height()));
    if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}
