#include "tests/fuzz/FontCheck.h"

#include <optional>

#include "display/FontLoader.h"
#include "display/BmpFile.h"
#include "display/Composer.h"
#include "tests/fuzz/CodeFont.h"

namespace {

constexpr int kDefaultCellWidth = 3;
constexpr int kDefaultCellHeight = 4;
constexpr std::size_t kBmpHeadersSize = 54;

int32_t LittleEndian32(std::span<const uint8_t> data, std::size_t offset)
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(data[offset + i]) << (8 * i);
    return static_cast<int32_t>(value);
}

// The three lines filled to the last byte: the input's own bytes first, then codes counting on.
void FillAllCodes(ReadoutText& text, std::span<const uint8_t> data)
{
    char* lines[] = {text.Frequency, text.Status, text.Inductance};
    for (int i = 0; i < 3 * 64; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const uint8_t code = index < data.size() ? data[index] : static_cast<uint8_t>(i + 64);
        lines[i / 64][i % 64] = static_cast<char>(code);
    }
}

std::string BackBufferFault(const ReadoutState& state)
{
    const PixelSize expected = BackBufferSize(state.Metrics);
    const QImage& back = state.Images.BackBitmap;
    const bool empty = expected.Width <= 0 || expected.Height <= 0;
    if (empty ? !back.isNull() : (back.width() != expected.Width || back.height() != expected.Height))
        return "the back buffer does not have the cells' size";
    return {};
}

std::string MetricsFault(const ReadoutState& state, CellSize cells)
{
    if (state.Metrics.CellWidth != cells.Width || state.Metrics.CellHeight != cells.Height)
        return "LoadFont set another cell size than the probe gives";
    return BackBufferFault(state);
}

} // namespace

FontCheck::FontCheck()
    : folder_(MemoryBackedParent()), defaultFont_(folder_.File("font.bmp")), input_(folder_.File("input.bmp"))
{
    CodeFont(kDefaultCellWidth, kDefaultCellHeight).save(QString::fromStdString(defaultFont_), "BMP");
}

std::string FontCheck::Run(std::span<const uint8_t> data) const
{
    folder_.Write("input.bmp", {reinterpret_cast<const char*>(data.data()), data.size()});
    std::string fault = ProbeFault(data);
    if (fault.empty())
        fault = LoadFault(data);
    return fault;
}

std::string FontCheck::ProbeFault(std::span<const uint8_t> data) const
{
    int32_t width = -1;
    int32_t height = -1;
    const int probed = ProbeBitmapSize(input_, width, height);
    const bool header = data.size() >= kBmpHeadersSize && data[0] == 'B' && data[1] == 'M';
    if (probed != (header ? 1 : 0))
        return "ProbeBitmapSize judged the header wrongly";
    if (header ? (width != LittleEndian32(data, 18) || height != LittleEndian32(data, 22)) : (width != 0 || height != 0))
        return "ProbeBitmapSize gave other sizes than the header holds";
    const std::optional<CellSize> cells = ProbeFontCells(input_);
    if (cells && (!header || cells->Width > kMaxCellSide || cells->Height > kMaxCellSide))
        return "ProbeFontCells accepted cells beyond the limit";
    const QImage image = ReadBmp(input_);
    if (!image.isNull() && image.format() != QImage::Format_RGB32)
        return "ReadBmp gave another format than RGB32";
    return {};
}

std::string FontCheck::LoadFault(std::span<const uint8_t> data) const
{
    const std::optional<CellSize> inputCells = ProbeFontCells(input_);
    const std::string expectedPath = inputCells ? input_ : defaultFont_;
    const CellSize cells = inputCells.value_or(CellSize{kDefaultCellWidth, kDefaultCellHeight});
    Readout readout;
    readout.With([](ReadoutState& state) { ResetReadoutText(state.Text); });
    std::string fontPath = input_;
    const FontLoadResult load = LoadFont(readout, fontPath, defaultFont_);
    if (!load.Loaded)
        return "LoadFont failed although the default font is sound";
    if (fontPath != expectedPath)
        return "LoadFont kept the wrong font path";
    return readout.With([&](ReadoutState& state) -> std::string {
        if (!(load.WindowSize == WindowSize(state.Metrics)))
            return "LoadFont did not give the read-out's window size";
        if (std::string fault = MetricsFault(state, cells); !fault.empty())
            return fault;
        FillAllCodes(state.Text, data);
        state.LMeterVisible = 1;
        ComposeReadout(state);
        return BackBufferFault(state);
    });
}
