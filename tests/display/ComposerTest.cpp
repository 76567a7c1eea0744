#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

#include "display/Composer.h"
#include "tests/display/SyntheticFont.h"
#include "tests/support/RowName.h"

namespace {

constexpr int kCellWidth = 18;
constexpr int kCellHeight = 24;

void SetLine(char (&line)[64], std::string_view text)
{
    std::memset(line, 0, sizeof line);
    std::memcpy(line, text.data(), text.size());
}

int Code(std::string_view line, int position)
{
    const auto index = static_cast<std::size_t>(position);
    return index < line.size() ? static_cast<unsigned char>(line[index]) : 0;
}

// The read-out as the layout describes it, drawn glyph by glyph from the synthetic font.
QImage ExpectedReadout(const GlyphMetrics& metrics, std::string_view frequency, std::string_view status,
                       std::string_view inductance, bool lmeter)
{
    QImage expected(kCellWidth * 24, kCellHeight * 4, QImage::Format_RGB32);
    expected.fill(Qt::black);
    for (int i = 0; i <= 10; ++i)
        PutExpectedGlyph(expected, metrics, Code(frequency, i), 2 * i, 0, 2);
    PutExpectedGlyph(expected, metrics, Code(frequency, 13), 22, 0, 1);
    PutExpectedGlyph(expected, metrics, Code(frequency, 14), 23, 0, 1);
    PutExpectedGlyph(expected, metrics, Code(frequency, 11), 22, 1, 1);
    PutExpectedGlyph(expected, metrics, Code(frequency, 12), 23, 1, 1);
    for (int i = 0; i < 24; ++i) {
        PutExpectedGlyph(expected, metrics, Code(lmeter ? inductance : status, i), i, 2, 1);
        if (lmeter)
            PutExpectedGlyph(expected, metrics, Code(status, i), i, 3, 1);
    }
    return expected;
}

struct ReadoutRow {
    const char* Name;
    std::string_view Frequency;
    std::string_view Status;
    std::string_view Inductance;
};

using namespace std::string_view_literals;

class ComposeReadoutTest : public ::testing::TestWithParam<ReadoutRow> {};

TEST_P(ComposeReadoutTest, PixelsMatchTheLayoutWithAndWithoutLMeter)
{
    const ReadoutRow& row = GetParam();
    for (const bool lmeter : {false, true}) {
        SCOPED_TRACE(lmeter ? "L meter shown" : "L meter hidden");
        ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
        SetLine(state.Text.Frequency, row.Frequency);
        SetLine(state.Text.Status, row.Status);
        SetLine(state.Text.Inductance, row.Inductance);
        state.LMeterVisible = lmeter ? 1 : 0;
        ComposeReadout(state);
        EXPECT_EQ(state.Images.BackBitmap,
                  ExpectedReadout(state.Metrics, row.Frequency, row.Status, row.Inductance, lmeter));
    }
}

INSTANTIATE_TEST_SUITE_P(
    ExampleLines, ComposeReadoutTest,
    ::testing::Values(
        ReadoutRow{"Initial", "000,000,000Hz  ", "P.S:[  0] G.T:[ 0.00sec]", "L=               0.000uH"},
        ReadoutRow{"NineDigits", "123,456,789Hz |", "P.S:[100] G.T:[10.00sec]", "L=             244.708uH"},
        ReadoutRow{"NoDataCode0", "Not ReceiveHz \0"sv, "P.S:[  1] G.T:[ 1.00sec]", "L=               0.507uH"},
        ReadoutRow{"NoDataCode1", "Not ReceiveHz \1"sv, "P.S:[  1] G.T:[ 1.00sec]", "L=               0.507uH"},
        ReadoutRow{"EmptyLinesDrawCode0", ""sv, ""sv, ""sv}), kRowName);

QRgb CellCorner(const ReadoutState& state, int column, int row)
{
    return state.Images.BackBitmap.pixel(column * kCellWidth, row * kCellHeight);
}

TEST(ComposeReadoutCells, HzBesideTheNumberBlankAndIndicatorAboveIt)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    SetLine(state.Text.Frequency, "000,000,000Hz |");
    ComposeReadout(state);
    EXPECT_EQ(CellCorner(state, 22, 1), SyntheticPixel('H', 0, 0));
    EXPECT_EQ(CellCorner(state, 23, 1), SyntheticPixel('z', 0, 0));
    EXPECT_EQ(CellCorner(state, 22, 0), SyntheticPixel(' ', 0, 0));
    EXPECT_EQ(CellCorner(state, 23, 0), SyntheticPixel('|', 0, 0));
    // Position 3 is drawn large over columns 6-7, rows 0-1; its pixel (5, 7) doubled.
    EXPECT_EQ(state.Images.BackBitmap.pixel(6 * kCellWidth + 11, 15), SyntheticPixel(',', 5, 7));
    EXPECT_EQ(state.Images.BackBitmap.pixel(8 * kCellWidth - 1, 2 * kCellHeight - 1),
              SyntheticPixel(',', kCellWidth - 1, kCellHeight - 1));
}

TEST(ComposeReadoutCells, RowThreeUntouchedWhileLMeterHidden)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    state.Images.BackBitmap.fill(qRgb(1, 2, 3));
    SetLine(state.Text.Status, "P.S:[  1] G.T:[ 1.00sec]");
    ComposeReadout(state);
    EXPECT_EQ(CellCorner(state, 0, 2), SyntheticPixel('P', 0, 0));
    for (int column = 0; column < 24; ++column)
        EXPECT_EQ(CellCorner(state, column, 3), qRgb(1, 2, 3)) << "column " << column;
}

struct HighCodeRow {
    const char* Name;
    int Code;
};

class HighCodeTest : public ::testing::TestWithParam<HighCodeRow> {};

TEST_P(HighCodeTest, DrawsTheBlankCell)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    DrawGlyph(state, static_cast<char>(GetParam().Code), 5, 1, 2);
    QImage expected(kCellWidth * 24, kCellHeight * 4, QImage::Format_RGB32);
    expected.fill(Qt::black);
    PutExpectedGlyph(expected, state.Metrics, ' ', 5, 1, 2);
    EXPECT_EQ(state.Images.BackBitmap, expected);
}

INSTANTIATE_TEST_SUITE_P(Codes, HighCodeTest,
                         ::testing::Values(HighCodeRow{"Code128", 0x80}, HighCodeRow{"Code160", 0xA0},
                                           HighCodeRow{"Code255", 0xFF}), kRowName);

TEST(DrawGlyphBounds, CellsBeyondTheLoadedImageAreBlack)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    state.Images.FontBitmap = state.Images.FontBitmap.copy(0, 0, 100, 200);
    DrawGlyph(state, '8', 0, 0, 1);  // column 3 starts at x 54, row 8 at y 192: 8 lines inside
    DrawGlyph(state, 'z', 1, 0, 1);  // column 7 starts at x 126: wholly outside
    const QImage& back = state.Images.BackBitmap;
    EXPECT_EQ(back.pixel(0, 0), SyntheticPixel('8', 0, 0));
    EXPECT_EQ(back.pixel(kCellWidth - 1, 7), SyntheticPixel('8', kCellWidth - 1, 7));
    EXPECT_EQ(back.pixel(0, 8), qRgb(0, 0, 0));
    for (int y = 0; y < kCellHeight; ++y)
        EXPECT_EQ(back.pixel(kCellWidth + 3, y), qRgb(0, 0, 0)) << "line " << y;
}

TEST(DrawGlyphBounds, NullFontDrawsBlack)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    state.Images.BackBitmap.fill(Qt::white);
    state.Images.FontBitmap = QImage();
    ComposeReadout(state);
    EXPECT_EQ(CellCorner(state, 0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(state.Images.BackBitmap.pixel(431, 71), qRgb(0, 0, 0));
}

TEST(DrawGlyphBounds, PlacesOutsideTheGridDrawNothing)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    const QImage before = state.Images.BackBitmap;
    DrawGlyph(state, 'A', 24, 0, 1);
    DrawGlyph(state, 'A', -1, 0, 1);
    DrawGlyph(state, 'A', 0, 4, 1);
    DrawGlyph(state, 'A', 0, -1, 1);
    DrawGlyph(state, 'A', 0, 0, 0);
    DrawGlyph(state, 'A', 0, 0, 3);
    EXPECT_EQ(state.Images.BackBitmap, before);
}

TEST(DrawGlyphBounds, LargeGlyphInTheLastColumnIsClipped)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    DrawGlyph(state, 'A', 23, 3, 2);
    const QImage& back = state.Images.BackBitmap;
    EXPECT_EQ(back.pixel(23 * kCellWidth + 1, 3 * kCellHeight + 1), SyntheticPixel('A', 0, 0));
    EXPECT_EQ(back.pixel(431, 95), SyntheticPixel('A', 8, 11));
}

TEST(DrawGlyphBounds, NullBackBufferIsHarmless)
{
    ReadoutState state = SyntheticState(kCellWidth, kCellHeight);
    state.Metrics.CellWidth = 0;
    state.Images.BackBitmap = QImage();
    SetLine(state.Text.Frequency, "  1,000,000Hz -");
    ComposeReadout(state);
    DrawGlyph(state, 'A', 0, 0, 2);
    EXPECT_TRUE(state.Images.BackBitmap.isNull());
}

} // namespace
