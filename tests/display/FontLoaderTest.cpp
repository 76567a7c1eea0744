#include <memory>

#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "display/BmpFile.h"
#include "display/Composer.h"
#include "display/FontLoader.h"
#include "tests/display/SyntheticFont.h"
#include "tests/support/RowName.h"
#include "tests/support/TestBmp.h"

namespace {

struct ProbeRow {
    const char* Name;
    std::string Bytes;  // empty: no file at all
    int Result;
    int32_t Width;
    int32_t Height;
};

class ProbeBitmapSizeTest : public ::testing::TestWithParam<ProbeRow> {};

TEST_P(ProbeBitmapSizeTest, ReadsTheSizeFieldsOfTheHeader)
{
    const ProbeRow& row = GetParam();
    QTemporaryDir dir;
    const std::string path = dir.filePath("probe.bmp").toStdString();
    if (!row.Bytes.empty())
        WriteBytes(path, row.Bytes);
    int32_t width = 7;
    int32_t height = 7;
    EXPECT_EQ(ProbeBitmapSize(path, width, height), row.Result);
    EXPECT_EQ(width, row.Width);
    EXPECT_EQ(height, row.Height);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProbeBitmapSizeTest,
    ::testing::Values(ProbeRow{"Missing", "", 0, 0, 0},
                      ProbeRow{"OneByte", "B", 0, 0, 0},
                      ProbeRow{"FileHeaderOnly", BmpHeader(144, 384).substr(0, 14), 0, 0, 0},
                      ProbeRow{"OneByteShortOfBothHeaders", BmpHeader(144, 384).substr(0, 53), 0, 0, 0},
                      ProbeRow{"BothHeaders", BmpHeader(144, 384), 1, 144, 384},
                      ProbeRow{"SignatureSwapped", "MB" + BmpHeader(144, 384).substr(2), 0, 0, 0},
                      ProbeRow{"SignatureLowerCase", "bm" + BmpHeader(144, 384).substr(2), 0, 0, 0},
                      ProbeRow{"TopDown", BmpHeader(144, -384), 1, 144, -384},
                      ProbeRow{"TopDownMinimum", BmpHeader(144, INT32_MIN), 1, 144, INT32_MIN},
                      ProbeRow{"Enormous", BmpHeader(100000, 100000), 1, 100000, 100000}), kRowName);

enum class FontFile { Missing, Cells18x24, Cells24x32, Enormous, BadSignature, Short, Narrow, Rejected, TopDown };

std::string MakeFontFile(const QTemporaryDir& dir, const char* name, FontFile kind)
{
    const std::string path = dir.filePath(name).toStdString();
    switch (kind) {
    case FontFile::Missing: break;
    case FontFile::Cells18x24: SyntheticFont(18, 24).save(QString::fromStdString(path), "BMP"); break;
    case FontFile::Cells24x32: SyntheticFont(24, 32).save(QString::fromStdString(path), "BMP"); break;
    case FontFile::Enormous: WriteBytes(path, BmpHeader(100000, 100000)); break;
    case FontFile::BadSignature: WriteBytes(path, "XX" + BmpHeader(144, 384).substr(2)); break;
    case FontFile::Short: WriteBytes(path, BmpHeader(144, 384).substr(0, 40)); break;
    case FontFile::Narrow: WriteTestBmp(path, 24, 7, 384, {qRgb(9, 9, 9)}); break;
    case FontFile::Rejected: WriteBytes(path, BmpHeader(144, 384, 99)); break;
    case FontFile::TopDown: WriteTestBmp(path, 24, 144, -384, {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)}); break;
    }
    return path;
}

struct LoadRow {
    const char* Name;
    FontFile Configured;
    FontFile Default;
    bool Loads;
    bool KeepsConfiguredPath;
    PixelSize Window;
};

class LoadFontTest : public ::testing::TestWithParam<LoadRow> {};

TEST_P(LoadFontTest, UsesTheConfiguredOrTheDefaultFontOrFails)
{
    const LoadRow& row = GetParam();
    QTemporaryDir dir;
    const std::string configured = MakeFontFile(dir, "chosen.bmp", row.Configured);
    const std::string fallback = MakeFontFile(dir, "font.bmp", row.Default);
    auto readout = std::make_shared<Readout>();
    readout->With([](ReadoutState& state) { ResetReadoutText(state.Text); });
    std::string fontPath = configured;

    const FontLoadResult load = LoadFont(*readout, fontPath, fallback);

    EXPECT_EQ(load.Loaded, row.Loads);
    EXPECT_EQ(fontPath, row.KeepsConfiguredPath ? configured : fallback);
    if (row.Loads) {
        EXPECT_EQ(load.WindowSize, row.Window);
    } else {
        EXPECT_EQ(CantOpenFontText(load.FailedPath), "Can't Open font [" + fallback + "]");
        readout->With([](ReadoutState& state) {
            EXPECT_EQ(state.Metrics.CellWidth, 18);
            EXPECT_TRUE(state.Images.BackBitmap.isNull());
        });
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, LoadFontTest,
    ::testing::Values(
        LoadRow{"ConfiguredFont", FontFile::Cells24x32, FontFile::Cells18x24, true, true, {576, 96}},
        LoadRow{"ConfiguredMissing", FontFile::Missing, FontFile::Cells18x24, true, false, {432, 72}},
        LoadRow{"ConfiguredEnormous", FontFile::Enormous, FontFile::Cells24x32, true, false, {576, 96}},
        LoadRow{"ConfiguredBadSignature", FontFile::BadSignature, FontFile::Cells18x24, true, false, {432, 72}},
        LoadRow{"ConfiguredShort", FontFile::Short, FontFile::Cells18x24, true, false, {432, 72}},
        LoadRow{"BothMissing", FontFile::Missing, FontFile::Missing, false, false, {}},
        LoadRow{"DefaultEnormous", FontFile::Missing, FontFile::Enormous, false, false, {}},
        LoadRow{"DefaultBadSignature", FontFile::BadSignature, FontFile::BadSignature, false, false, {}},
        LoadRow{"Narrow", FontFile::Narrow, FontFile::Cells18x24, true, true, {0, 72}},
        LoadRow{"RejectedByReader", FontFile::Rejected, FontFile::Cells18x24, true, true, {432, 72}},
        LoadRow{"TopDown", FontFile::TopDown, FontFile::Cells24x32, true, true, {432, 72}}), kRowName);

// LoadFont with one font file of kind as both the configured and the default font.
bool LoadOnly(const std::shared_ptr<Readout>& readout, FontFile kind)
{
    QTemporaryDir dir;
    const std::string path = MakeFontFile(dir, "font.bmp", kind);
    std::string fontPath = path;
    return LoadFont(*readout, fontPath, path).Loaded;
}

TEST(LoadFontImages, ComposesTheReadoutWithTheNewFont)
{
    auto readout = std::make_shared<Readout>();
    readout->With([](ReadoutState& state) { ResetReadoutText(state.Text); });
    ASSERT_TRUE(LoadOnly(readout, FontFile::Cells24x32));
    readout->With([](ReadoutState& state) {
        EXPECT_EQ(state.Images.BackBitmap.size(), QSize(576, 128));
        EXPECT_EQ(state.Images.BackBitmap.format(), QImage::Format_RGB32);
        EXPECT_EQ(state.Images.BackBitmap.pixel(1, 1), SyntheticPixel('0', 0, 0));
        EXPECT_EQ(state.Images.BackBitmap.pixel(22 * 24 + 5, 32 + 6), SyntheticPixel('H', 5, 6));
        EXPECT_EQ(state.Images.BackBitmap.pixel(23 * 24, 2 * 32 + 31), SyntheticPixel(']', 0, 31));
    });
}

TEST(LoadFontImages, NarrowFontLeavesANullBackBufferThatPaintsNothing)
{
    auto readout = std::make_shared<Readout>();
    ASSERT_TRUE(LoadOnly(readout, FontFile::Narrow));
    readout->With([](ReadoutState& state) {
        EXPECT_EQ(state.Metrics.CellWidth, 0);
        EXPECT_TRUE(state.Images.BackBitmap.isNull());
        QImage target(10, 10, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        PaintReadout(painter, state);
        painter.end();
        EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
    });
}

TEST(LoadFontImages, RejectedImageDrawsBlackCells)
{
    auto readout = std::make_shared<Readout>();
    readout->With([](ReadoutState& state) { state.Images.BackBitmap = QImage(8, 8, QImage::Format_RGB32); });
    ASSERT_TRUE(LoadOnly(readout, FontFile::Rejected));
    readout->With([](ReadoutState& state) {
        EXPECT_TRUE(state.Images.FontBitmap.isNull());
        QImage black(432, 96, QImage::Format_RGB32);
        black.fill(Qt::black);
        EXPECT_EQ(state.Images.BackBitmap, black);
    });
}

TEST(LoadFontImages, TopDownImageKeepsItsOrientation)
{
    QTemporaryDir dir;
    const QImage font = ReadBmp(MakeFontFile(dir, "font.bmp", FontFile::TopDown));
    ASSERT_EQ(font.size(), QSize(144, 384));
    EXPECT_EQ(font.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(font.pixel(0, 1), qRgb(7, 8, 9));
    EXPECT_EQ(font.pixel(1, 0), qRgb(4, 5, 6));
}

struct DepthRow {
    const char* Name;
    int Bits;
};

// 5-5-5 pixels come back with their five bits at the top of each byte.
QRgb Stored(QRgb colour, int bits)
{
    if (bits != 16)
        return colour;
    return qRgb(qRed(colour) & 0xF8, qGreen(colour) & 0xF8, qBlue(colour) & 0xF8);
}

class BmpDepthTest : public ::testing::TestWithParam<DepthRow> {};

TEST_P(BmpDepthTest, LoadsAsRgb32WithItsColours)
{
    const int bits = GetParam().Bits;
    const std::vector<QRgb> colours = bits == 1 ? std::vector<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                                                : std::vector<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255),
                                                                    qRgb(255, 0, 0), qRgb(0, 0, 255)};
    QTemporaryDir dir;
    const std::string path = dir.filePath("depth.bmp").toStdString();
    WriteTestBmp(path, bits, 37, 21, colours);
    const QImage image = ReadBmp(path);
    ASSERT_EQ(image.size(), QSize(37, 21));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += image.pixel(x, y) != Stored(colours[static_cast<std::size_t>(x + 2 * y) % colours.size()], bits) ? 1 : 0;
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpDepthTest,
                         ::testing::Values(DepthRow{"Bits1", 1}, DepthRow{"Bits4", 4}, DepthRow{"Bits8", 8},
                                           DepthRow{"Bits16", 16}, DepthRow{"Bits24", 24},
                                           DepthRow{"Bits32", 32}), kRowName);

} // namespace
