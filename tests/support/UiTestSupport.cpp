#include "tests/support/UiTestSupport.h"

#include <cstdlib>

#include <QWidget>
#include <gtest/gtest.h>

#include "res/DialogUnits.h"

QRect TemplateRect(int x, int y, int width, int height)
{
    return DialogRect(MeasureBaseUnits(DialogFont()), x, y, width, height);
}

void ExpectAtTemplatePlace(const QWidget& control, int x, int y, int width, int height)
{
    const QRect expected = TemplateRect(x, y, width, height);
    const QRect actual = control.geometry();
    EXPECT_LE(std::abs(actual.left() - expected.left()), 1) << actual.left();
    EXPECT_LE(std::abs(actual.top() - expected.top()), 1) << actual.top();
    EXPECT_LE(std::abs(actual.width() - expected.width()), 1) << actual.width();
    EXPECT_LE(std::abs(actual.height() - expected.height()), 1) << actual.height();
}

void ExpectTemplateLayout(const QWidget& dialog, int width, int height,
                          std::initializer_list<TemplateControl> controls)
{
    EXPECT_EQ(dialog.size(), TemplateRect(0, 0, width, height).size());
    for (const TemplateControl& row : controls) {
        SCOPED_TRACE(row.name);
        const QWidget* control = dialog.findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        ExpectAtTemplatePlace(*control, row.x, row.y, row.width, row.height);
    }
}

QImage CoordinateImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 251, y % 241, 16 + (x / 251) * 8 + (y / 241) * 64));
    image.setPixel(0, 0, qRgb(250, 10, 200));
    return image;
}

QImage Snapshot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
