#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "app/ShownPicture.h"
#include "display/Composer.h"
#include "display/Readout.h"
#include "link/window/RecordPresenter.h"
#include "tests/support/RowName.h"

namespace {

ReadoutState StateWithBackBuffer(int zoom)
{
    ReadoutState state;
    state.Metrics.Zoom = zoom;
    state.Images.BackBitmap = QImage(18 * 24, 24 * 4, QImage::Format_RGB32);
    state.Images.BackBitmap.fill(Qt::black);
    return state;
}

struct ChangeRow {
    const char* Name;
    int Zoom;
    QRect Dirty;     // back-buffer pixels
    QRect Repaint;   // window pixels
};

class ShownPictureChanges : public ::testing::TestWithParam<ChangeRow> {};

TEST_P(ShownPictureChanges, RepaintsTheDirtyAreaTimesTheZoomAndClearsIt)
{
    ReadoutState state = StateWithBackBuffer(GetParam().Zoom);
    ShownPicture shown;
    shown.TakeAll(state);
    state.Dirty = GetParam().Dirty;
    EXPECT_EQ(shown.TakeChanges(state), GetParam().Repaint);
    EXPECT_TRUE(state.Dirty.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Areas, ShownPictureChanges,
    ::testing::Values(ChangeRow{"Nothing", 1, QRect(), QRect()},
                      ChangeRow{"IndicatorAtZoom1", 1, QRect(414, 0, 18, 24), QRect(414, 0, 18, 24)},
                      ChangeRow{"IndicatorAtZoom5", 5, QRect(414, 0, 18, 24), QRect(2070, 0, 90, 120)},
                      ChangeRow{"HiddenFourthRow", 2, QRect(0, 72, 18, 24), QRect()}), kRowName);

struct FrameRow {
    const char* Name;
    std::vector<const char*> Records;  // that came since the last frame
    std::vector<QRect> Cells;          // window pixels to repaint
};

class ShownPictureFrames : public ::testing::TestWithParam<FrameRow> {};

// A frame after one that showed kShown: records that change nothing visible cost
// no paint, others only the cells whose glyph changed.
TEST_P(ShownPictureFrames, RepaintOnlyTheChangedCells)
{
    constexpr const char* kShown = "001 010 0001000000";
    ReadoutState state = StateWithBackBuffer(1);
    ShowRecord(state, 0, 0, kShown, true);
    ShownPicture shown;
    shown.TakeAll(state);
    for (const char* record : GetParam().Records)
        ShowRecord(state, 0, 0, record, false);
    ComposeReadout(state);
    QRegion expected;
    for (const QRect& cell : GetParam().Cells)
        expected += cell;
    EXPECT_EQ(shown.TakeChanges(state), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ShownPictureFrames,
    ::testing::Values(FrameRow{"TwoRecordsShowingTheSame", {"001 010 0001000000", "001 010 0001000000"}, {}},
                      FrameRow{"OneRecordShowingTheSame", {"001 010 0001000000"}, {QRect(414, 0, 18, 24)}},
                      FrameRow{"LastDigitAndIndicator", {"001 010 0001000001"},
                               {QRect(360, 0, 36, 48), QRect(414, 0, 18, 24)}}),
    kRowName);

// Changes not yet taken stay out of the copy: a paint never shows half a compose.
TEST(ShownPicture, KeepsTheLastTakenPicture)
{
    ReadoutState state = StateWithBackBuffer(1);
    ShownPicture shown;
    shown.TakeAll(state);
    state.Images.BackBitmap.setPixel(0, 0, qRgb(9, 9, 9));
    state.Images.BackBitmap.setPixel(400, 10, qRgb(7, 7, 7));
    state.Dirty = QRect(0, 0, 1, 1);
    shown.TakeChanges(state);
    QImage window(18 * 24, 24 * 3, QImage::Format_RGB32);
    QPainter painter(&window);
    shown.Paint(painter, window.rect());
    painter.end();
    EXPECT_EQ(window.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(window.pixel(400, 10), qRgb(0, 0, 0));
}

TEST(ShownPicture, AnotherBackBufferSizeIsTakenWhole)
{
    ReadoutState state = StateWithBackBuffer(3);
    ShownPicture shown;
    shown.TakeAll(state);
    state.Images.BackBitmap = QImage(17 * 24, 24 * 4, QImage::Format_RGB32);
    state.Metrics.CellWidth = 17;
    state.Dirty = QRect(0, 0, 1, 1);
    EXPECT_FALSE(shown.Matches(state));
    EXPECT_EQ(shown.TakeChanges(state), QRect(0, 0, 17 * 24 * 3, 24 * 3 * 3));
    EXPECT_TRUE(shown.Matches(state));
}

}  // namespace
