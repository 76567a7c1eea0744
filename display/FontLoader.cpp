#include "display/FontLoader.h"

#include <utility>

#include "display/BmpFile.h"
#include "display/Composer.h"

namespace {

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

std::string CantOpenFontText(const std::string& path)
{
    return "Can't Open font [" + path + "]";
}

FontLoadResult LoadFont(Readout& readout, std::string& fontPath, const std::string& defaultFontPath)
{
    std::optional<CellSize> cells = ProbeFontCells(fontPath);
    if (!cells) {
        fontPath = defaultFontPath;
        cells = ProbeFontCells(fontPath);
    }
    if (!cells)
        return {false, {}, fontPath};
    QImage font = ReadBmp(fontPath);
    const PixelSize windowSize = readout.With([&](ReadoutState& state) {
        state.Metrics.CellWidth = cells->Width;
        state.Metrics.CellHeight = cells->Height;
        state.Images.FontBitmap = std::move(font);
        state.Images.BackBitmap = NewBackBuffer(state.Metrics);
        ComposeReadout(state);
        return WindowSize(state.Metrics);
    });
    return {true, windowSize, {}};
}
