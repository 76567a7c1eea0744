#include <limits>

#include <QBuffer>
#include <QFrame>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "display/SelectBitmap.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBmp.h"
#include "tests/support/UiTestSupport.h"

namespace {

// The dialog open on one file of its own folder, preselected.
class PreviewOf : public ::testing::Test {
protected:
    void Open(const char* name)
    {
        dialog = std::make_unique<CSelectBitmap>(folder.File("*.bmp"));
        dialog->m_strCurrentName = name;
        dialog->show();
    }
    QRect Box() const { return dialog->findChild<QFrame*>(QStringLiteral("box1009"))->geometry(); }
    QScrollBar& HBar() const { return *dialog->findChild<QScrollBar*>(QStringLiteral("scroll1013")); }
    QScrollBar& VBar() const { return *dialog->findChild<QScrollBar*>(QStringLiteral("scroll1012")); }
    bool OkEnabled() const { return dialog->findChild<QPushButton*>(QStringLiteral("IDOK"))->isEnabled(); }
    // A point inside the box, clear of its frame, relative to the box's corner.
    QRgb BoxPixel(int x, int y) const { return Snapshot(*dialog).pixel(Box().topLeft() + QPoint(x, y)); }
    // Excess of the image over the box in both directions.
    QImage LargerThanBox(int excess) const { return CoordinateImage(Box().width() + excess, Box().height() + excess); }
    // Opens the dialog on wide.bmp, an image larger than the box by excess; returns the image.
    QImage OpenLarger(int excess)
    {
        Open("none");  // the box size is known once the dialog exists
        const QImage image = LargerThanBox(excess);
        WriteBmp(folder.File("wide.bmp"), image);
        Open("wide.bmp");
        return image;
    }

    TempDir folder;
    std::unique_ptr<CSelectBitmap> dialog;
};

TEST_F(PreviewOf, ImageLargerThanTheBoxScrollsByItsExcessAndShifts)
{
    const QImage image = OpenLarger(150);
    EXPECT_EQ(dialog->m_nBmpWidth, image.width());
    EXPECT_EQ(dialog->m_nBmpHeight, image.height());
    EXPECT_EQ(HBar().minimum(), 0);
    EXPECT_EQ(HBar().maximum(), 150);
    EXPECT_EQ(VBar().minimum(), 0);
    EXPECT_EQ(VBar().maximum(), 150);
    EXPECT_EQ(HBar().value(), 0);
    EXPECT_EQ(VBar().value(), 0);
    // Scroll positions shift the image.
    dialog->OnHScroll(SB_THUMBTRACK, 37);
    dialog->OnVScroll(SB_THUMBPOSITION, 150);
    EXPECT_EQ(BoxPixel(5, 5), image.pixel(5 + 37, 5 + 150));
    const QPoint farCorner(Box().width() - 2, Box().height() - 2);
    EXPECT_EQ(BoxPixel(farCorner.x(), farCorner.y()), image.pixel(farCorner + QPoint(37, 150)));
}

TEST_F(PreviewOf, ImageSmallerThanTheBoxSitsAtTheCornerOnItsBackgroundColour)
{
    const QImage image = CoordinateImage(40, 30);
    WriteBmp(folder.File("small.bmp"), image);
    Open("small.bmp");
    EXPECT_EQ(HBar().maximum(), 0);
    EXPECT_EQ(VBar().maximum(), 0);
    for (const QPoint at : {QPoint(5, 5), QPoint(39, 29), QPoint(20, 1), QPoint(1, 17)}) {
        SCOPED_TRACE(at.x() * 1000 + at.y());
        EXPECT_EQ(BoxPixel(at.x(), at.y()), image.pixel(at));
    }
    for (const QPoint at : {QPoint(40, 5), QPoint(5, 30), QPoint(Box().width() - 3, Box().height() - 3)}) {
        SCOPED_TRACE(at.x() * 1000 + at.y());
        EXPECT_EQ(BoxPixel(at.x(), at.y()), image.pixel(0, 0));
    }
}

// The header gives a negative height for a bitmap stored top row first; the
// image as read decides the range, so such a font scrolls like any other.
TEST_F(PreviewOf, TopDownBitmapScrollsByItsRealHeight)
{
    Open("none");
    const QImage image = LargerThanBox(40);
    WriteBytes(folder.File("topdown.bmp"), TopDownBmp(image));
    Open("topdown.bmp");
    EXPECT_EQ(dialog->m_nBmpHeight, -image.height());
    EXPECT_EQ(VBar().maximum(), 40);
    dialog->OnVScroll(SB_THUMBTRACK, 40);
    EXPECT_EQ(BoxPixel(5, 5), image.pixel(5, 5 + 40));
}

TEST_F(PreviewOf, AnotherSelectionStartsAtTheCornerWithItsOwnRanges)
{
    Open("none");
    WriteBmp(folder.File("a.bmp"), LargerThanBox(150));
    WriteBmp(folder.File("b.bmp"), LargerThanBox(20));
    Open("a.bmp");
    dialog->OnHScroll(SB_THUMBTRACK, 100);
    dialog->OnVScroll(SB_THUMBTRACK, 100);
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("list1008"));
    list->setCurrentRow(1);
    EXPECT_EQ(dialog->m_strFontPath, folder.File("b.bmp"));
    EXPECT_EQ(HBar().value(), 0);
    EXPECT_EQ(VBar().value(), 0);
    EXPECT_EQ(HBar().maximum(), 20);
    EXPECT_EQ(VBar().maximum(), 20);
}

struct UnreadableRow {
    const char* Name;
    std::string content;
    int32_t headerWidth;  // what the header probe reads
};

void PrintTo(const UnreadableRow& row, std::ostream* os)
{
    *os << row.Name;
}

class Unreadable : public PreviewOf, public ::testing::WithParamInterface<UnreadableRow> {};

TEST_P(Unreadable, ShowsAnEmptyBoxAndStillAllowsOk)
{
    const UnreadableRow& row = GetParam();
    WriteBytes(folder.File("font.bmp"), row.content);
    Open("font.bmp");
    EXPECT_TRUE(OkEnabled());
    EXPECT_EQ(dialog->m_nBmpWidth, row.headerWidth);
    EXPECT_EQ(HBar().maximum(), 0);
    EXPECT_EQ(VBar().maximum(), 0);
    const QRgb neutral = dialog->palette().color(QPalette::Window).rgb();
    EXPECT_EQ(BoxPixel(5, 5), neutral);
    EXPECT_EQ(BoxPixel(Box().width() / 2, Box().height() / 2), neutral);
}

std::string PngBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CoordinateImage(8, 8).save(&buffer, "PNG");
    return bytes.toStdString();
}

const UnreadableRow kUnreadableRows[] = {
    {"text_file", "not a bitmap at all", 0},
    {"empty_file", "", 0},
    {"png_named_bmp", PngBytes(), 0},
    {"header_claims_a_giant_image", BmpHeader(100000, 100000), 100000},
    {"header_without_pixels", BmpHeader(300, 300), 300},
    {"header_with_negative_extremes", BmpHeader(-5, std::numeric_limits<int32_t>::min()), -5},
    {"signature_only", "BM", 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, Unreadable, ::testing::ValuesIn(kUnreadableRows), kRowName);

struct StepRow {
    const char* Name;
    int start;
    QAbstractSlider::SliderAction action;  // SliderMove: the thumb dragged to 'thumb'
    int thumb;
    int expected;
};

void PrintTo(const StepRow& row, std::ostream* os)
{
    *os << row.Name;
}

class BarStep : public PreviewOf, public ::testing::WithParamInterface<StepRow> {};

TEST_P(BarStep, MovesWithinTheRange)
{
    const StepRow& row = GetParam();
    OpenLarger(150);
    for (QScrollBar* bar : {&HBar(), &VBar()}) {
        SCOPED_TRACE(bar->objectName().toStdString());
        bar->setValue(row.start);
        if (row.action == QAbstractSlider::SliderMove)
            bar->setSliderPosition(row.thumb);
        else
            bar->triggerAction(row.action);
        EXPECT_EQ(bar->value(), row.expected);
    }
}

const StepRow kStepRows[] = {
    {"line_down", 0, QAbstractSlider::SliderSingleStepAdd, 0, 1},
    {"line_up_at_start", 0, QAbstractSlider::SliderSingleStepSub, 0, 0},
    {"line_down_at_end", 150, QAbstractSlider::SliderSingleStepAdd, 0, 150},
    {"line_up_from_end", 150, QAbstractSlider::SliderSingleStepSub, 0, 149},
    {"page_down", 0, QAbstractSlider::SliderPageStepAdd, 0, 10},
    {"page_down_near_end", 145, QAbstractSlider::SliderPageStepAdd, 0, 150},
    {"page_down_at_end", 150, QAbstractSlider::SliderPageStepAdd, 0, 150},
    {"page_up_near_start", 5, QAbstractSlider::SliderPageStepSub, 0, 0},
    {"page_up", 77, QAbstractSlider::SliderPageStepSub, 0, 67},
    {"thumb_dragged", 3, QAbstractSlider::SliderMove, 77, 77},
    {"thumb_dragged_past_end", 3, QAbstractSlider::SliderMove, 400, 150},
    {"to_start_leaves_it", 50, QAbstractSlider::SliderToMinimum, 0, 50},
    {"to_end_leaves_it", 50, QAbstractSlider::SliderToMaximum, 0, 50},
};

INSTANTIATE_TEST_SUITE_P(Rows, BarStep, ::testing::ValuesIn(kStepRows), kRowName);

TEST(ScrollPosition, CodesTheBarsCannotSendDirectly)
{
    EXPECT_EQ(ScrollPosition(SB_THUMBPOSITION, 3, 0, 150, 120), 120);
    EXPECT_EQ(ScrollPosition(SB_THUMBPOSITION, 3, 0, 150, -5), 0);
    EXPECT_EQ(ScrollPosition(SB_ENDSCROLL, 42, 0, 150, 99), 42);
    EXPECT_EQ(ScrollPosition(99, 42, 0, 150, 99), 42);
    EXPECT_EQ(ScrollPosition(SB_PAGEDOWN, 0, 0, 0, 0), 0);
}

}  // namespace
