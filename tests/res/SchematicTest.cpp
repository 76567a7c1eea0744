#include <set>

#include <gtest/gtest.h>

#include "res/Bitmap133.h"

namespace {

TEST(Schematic, IsA16GreyImageOfTheBitmapsSize)
{
    const QImage image = Bitmap133();
    EXPECT_EQ(image.width(), 237);
    EXPECT_EQ(image.height(), 203);
    EXPECT_LE(image.colorCount(), 16);
    std::set<QRgb> used;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            used.insert(image.pixel(x, y));
    for (QRgb colour : used)
        EXPECT_TRUE(qRed(colour) == qGreen(colour) && qGreen(colour) == qBlue(colour)) << std::hex << colour;
    EXPECT_TRUE(used.count(qRgb(0, 0, 0)));
    EXPECT_TRUE(used.count(qRgb(255, 255, 255)));
}

// Black on white with a white margin: nothing is cut at an edge, and every
// quarter of the picture carries part of the circuit.
TEST(Schematic, DrawingStaysInsideAWhiteMarginAndFillsThePicture)
{
    const QImage image = Bitmap133().convertToFormat(QImage::Format_RGB32);
    const int margin = 3;
    int ink[2][2] = {};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool dark = qGray(image.pixel(x, y)) < 128;
            const bool inMargin = x < margin || y < margin || x >= image.width() - margin ||
                                  y >= image.height() - margin;
            if (inMargin) {
                EXPECT_FALSE(dark) << x << "," << y;
            }
            ink[y * 2 / image.height()][x * 2 / image.width()] += dark ? 1 : 0;
        }
    }
    for (const auto& half : ink)
        for (int quarter : half)
            EXPECT_GT(quarter, 100);
}

}  // namespace
