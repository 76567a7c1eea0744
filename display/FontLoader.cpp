#include "display/FontLoader.h"

#include <array>
#include <fstream>
#include <utility>

#include <QImageReader>

#include "display/Renderer.h"

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

QImage NewBackBuffer(const GlyphMetrics& metrics)
{
    const PixelSize size = BackBufferSize(metrics);
    if (size.Width <= 0 || size.Height <= 0)
        return {};
    QImage back(size.Width, size.Height, QImage::Format_RGB32);
    back.fill(Qt::black);
    return back;
}

} // namespace

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

std::optional<CellSize> FontCellSize(int32_t width, int32_t height)
{
    // 64-bit so that the height INT32_MIN of a top-down BMP has an absolute value.
    const int64_t cellWidth = int64_t{width} / 8;
    const int64_t cellHeight = (height < 0 ? -int64_t{height} : int64_t{height}) / 16;
    if (width < 0 || cellWidth > kMaxCellSide || cellHeight > kMaxCellSide)
        return std::nullopt;
    return CellSize{static_cast<uint16_t>(cellWidth), static_cast<uint16_t>(cellHeight)};
}

std::optional<CellSize> ProbeFontCells(const std::string& path)
{
    int32_t width = 0;
    int32_t height = 0;
    if (!ProbeBitmapSize(path, width, height))
        return std::nullopt;
    return FontCellSize(width, height);
}

QImage ReadFontImage(const std::string& path)
{
    QImageReader reader(QString::fromStdString(path), "bmp");
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

bool LoadFont(Readout& readout, std::string& fontPath, const std::string& defaultFontPath,
              ReadoutWindow& window)
{
    std::optional<CellSize> cells = ProbeFontCells(fontPath);
    if (!cells) {
        fontPath = defaultFontPath;
        cells = ProbeFontCells(fontPath);
    }
    if (!cells) {
        window.FailFontLoad("Can't Open font [" + fontPath + "]");
        return false;
    }
    QImage font = ReadFontImage(fontPath);
    const PixelSize windowSize = readout.With([&](ReadoutState& state) {
        state.Metrics.CellWidth = cells->Width;
        state.Metrics.CellHeight = cells->Height;
        state.Images.FontBitmap = std::move(font);
        state.Images.BackBitmap = NewBackBuffer(state.Metrics);
        ComposeReadout(state);
        return WindowSize(state.Metrics);
    });
    // Outside the lock: the window may paint at once, and painting takes the lock.
    window.ResizeWindow(windowSize);
    return true;
}
