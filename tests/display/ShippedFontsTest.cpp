#include <QDir>
#include <gtest/gtest.h>

#include "display/BmpFile.h"
#include "display/Composer.h"
#include "display/FontLoader.h"
#include "tests/support/RowName.h"

namespace {

struct ShippedFont {
    const char* Name;
    const char* File;
    int CellWidth;
    int CellHeight;
    int BitsPerPixel;
};

std::string FontPath(const ShippedFont& font)
{
    return std::string(PELMORA_FONT_DIR) + "/" + font.File;
}

int BitsPerPixel(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(30);
    return header.size() == 30 ? static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8
                               : 0;
}

QImage Cell(const QImage& font, int code, int cellWidth, int cellHeight)
{
    return font.copy((code >> 4) * cellWidth, (code & 15) * cellHeight, cellWidth, cellHeight);
}

bool HasInk(const QImage& cell, QRgb background)
{
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x)
            if (cell.pixel(x, y) != background)
                return true;
    return false;
}

class ShippedFontTest : public ::testing::TestWithParam<ShippedFont> {};

TEST_P(ShippedFontTest, IsABottomUpBmpOfTheRightCellSize)
{
    const ShippedFont& font = GetParam();
    int32_t width = 0;
    int32_t height = 0;
    ASSERT_EQ(ProbeBitmapSize(FontPath(font), width, height), 1);
    EXPECT_EQ(width, font.CellWidth * 8);
    EXPECT_EQ(height, font.CellHeight * 16);
    EXPECT_EQ(BitsPerPixel(FontPath(font)), font.BitsPerPixel);
}

TEST_P(ShippedFontTest, EveryReadableCellHasInkAndNoTwoAreAlike)
{
    const ShippedFont& font = GetParam();
    const QImage image = ReadBmp(FontPath(font));
    ASSERT_EQ(image.size(), QSize(font.CellWidth * 8, font.CellHeight * 16));
    const QImage blank = Cell(image, ' ', font.CellWidth, font.CellHeight);
    const QRgb background = blank.pixel(0, 0);
    EXPECT_FALSE(HasInk(blank, background)) << "the blank is plain";
    std::vector<int> codes{0, 1};
    for (int code = 0x21; code <= 0x7E; ++code)
        codes.push_back(code);
    std::vector<QImage> cells;
    for (int code : codes) {
        cells.push_back(Cell(image, code, font.CellWidth, font.CellHeight));
        EXPECT_TRUE(HasInk(cells.back(), background)) << "code " << code;
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t j = i + 1; j < cells.size(); ++j)
            EXPECT_NE(cells[i], cells[j]) << "codes " << codes[i] << " and " << codes[j];
}

INSTANTIATE_TEST_SUITE_P(Fonts, ShippedFontTest,
                         ::testing::Values(ShippedFont{"Default", "font.bmp", 18, 24, 24},
                                           ShippedFont{"SevenSegment", "led7seg.bmp", 18, 24, 24},
                                           ShippedFont{"Lcd", "lcd.bmp", 18, 24, 8},
                                           ShippedFont{"Large", "large24x32.bmp", 24, 32, 24}), kRowName);

TEST(ShippedFonts, FolderHoldsOnlyTheseFonts)
{
    const QStringList files = QDir(PELMORA_FONT_DIR).entryList({"*.bmp"}, QDir::Files, QDir::Name);
    EXPECT_EQ(files, QStringList({"font.bmp", "large24x32.bmp", "lcd.bmp", "led7seg.bmp"}));
}

} // namespace
