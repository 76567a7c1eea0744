#include <gtest/gtest.h>

#include "display/Composer.h"
#include "display/FontLoader.h"
#include "tests/support/RowName.h"

namespace {

struct SizeRow {
    const char* Name;
    GlyphMetrics Metrics;
    PixelSize Window;
    PixelSize Back;
};

class WindowSizeTest : public ::testing::TestWithParam<SizeRow> {};

TEST_P(WindowSizeTest, WindowIsPictureTimesZoomAndBackBufferKeepsFourRows)
{
    const SizeRow& row = GetParam();
    EXPECT_EQ(WindowSize(row.Metrics), row.Window);
    EXPECT_EQ(BackBufferSize(row.Metrics), row.Back);
    EXPECT_EQ(PictureSize(row.Metrics).Width * row.Metrics.Zoom, row.Window.Width);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, WindowSizeTest,
    ::testing::Values(SizeRow{"Rows3Zoom1", {18, 24, 3, 1}, {432, 72}, {432, 96}},
                      SizeRow{"Rows3Zoom2", {18, 24, 3, 2}, {864, 144}, {432, 96}},
                      SizeRow{"Rows3Zoom5", {18, 24, 3, 5}, {2160, 360}, {432, 96}},
                      SizeRow{"Rows4Zoom1", {18, 24, 4, 1}, {432, 96}, {432, 96}},
                      SizeRow{"Rows4Zoom2", {18, 24, 4, 2}, {864, 192}, {432, 96}},
                      SizeRow{"Rows4Zoom5", {18, 24, 4, 5}, {2160, 480}, {432, 96}},
                      SizeRow{"LargeCellsZoom5", {24, 32, 4, 5}, {2880, 640}, {576, 128}},
                      SizeRow{"LargestCellsZoom5", {256, 256, 4, 5}, {30720, 5120}, {6144, 1024}},
                      SizeRow{"ZeroWidthCells", {0, 1, 3, 2}, {0, 6}, {0, 4}},
                      SizeRow{"ZeroHeightCells", {1, 0, 3, 2}, {48, 0}, {24, 0}}), kRowName);

struct CellRow {
    const char* Name;
    int32_t Width;
    int32_t Height;
    bool Usable;
    int CellWidth;
    int CellHeight;
};

class FontCellSizeTest : public ::testing::TestWithParam<CellRow> {};

TEST_P(FontCellSizeTest, CellSizeFromHeader)
{
    const CellRow& row = GetParam();
    const std::optional<CellSize> cells = FontCellSize(row.Width, row.Height);
    ASSERT_EQ(cells.has_value(), row.Usable);
    if (cells) {
        EXPECT_EQ(cells->Width, row.CellWidth);
        EXPECT_EQ(cells->Height, row.CellHeight);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, FontCellSizeTest,
    ::testing::Values(CellRow{"Default", 144, 384, true, 18, 24},
                      CellRow{"LeftoverPixelsIgnored", 150, 390, true, 18, 24},
                      CellRow{"TopDown", 144, -384, true, 18, 24},
                      CellRow{"TopDownMinimumHeight", 144, INT32_MIN, false, 0, 0},
                      CellRow{"NarrowerThan8", 7, 384, true, 0, 24},
                      CellRow{"LowerThan16", 144, 15, true, 18, 0},
                      CellRow{"Empty", 0, 0, true, 0, 0},
                      CellRow{"LargestCells", 2048, 4096, true, 256, 256},
                      CellRow{"LargestCellsPlusLeftover", 2055, 4111, true, 256, 256},
                      CellRow{"CellOneTooWide", 2056, 384, false, 0, 0},
                      CellRow{"CellOneTooHigh", 144, 4112, false, 0, 0},
                      CellRow{"Enormous", 100000, 100000, false, 0, 0},
                      CellRow{"NegativeWidth", -144, 384, false, 0, 0},
                      CellRow{"MinimumWidth", INT32_MIN, 384, false, 0, 0}), kRowName);

struct WheelRow {
    const char* Name;
    int Zoom;
    int Delta;
    int ExpectedZoom;
};

class ZoomByWheelTest : public ::testing::TestWithParam<WheelRow> {};

TEST_P(ZoomByWheelTest, OneStepPerEventWithinOneToFive)
{
    const WheelRow& row = GetParam();
    GlyphMetrics metrics;
    metrics.Zoom = row.Zoom;
    const bool changed = ZoomByWheel(metrics, row.Delta);
    EXPECT_EQ(metrics.Zoom, row.ExpectedZoom);
    EXPECT_EQ(changed, row.ExpectedZoom != row.Zoom);
}

INSTANTIATE_TEST_SUITE_P(
    Wheel, ZoomByWheelTest,
    ::testing::Values(WheelRow{"ForwardFrom1", 1, 120, 2}, WheelRow{"ForwardFrom4", 4, 120, 5},
                      WheelRow{"ForwardAt5ChangesNothing", 5, 120, 5},
                      WheelRow{"BackwardFrom5", 5, -120, 4}, WheelRow{"BackwardFrom2", 2, -120, 1},
                      WheelRow{"BackwardAt1ChangesNothing", 1, -120, 1},
                      WheelRow{"HugeForwardIsOneStep", 2, 32767, 3},
                      WheelRow{"HugeBackwardIsOneStep", 4, -32768, 3},
                      WheelRow{"SmallForwardIsOneStep", 3, 1, 4},
                      WheelRow{"DeltaZeroCountsAsBackward", 3, 0, 2},
                      WheelRow{"DeltaZeroAt1ChangesNothing", 1, 0, 1}), kRowName);

} // namespace
