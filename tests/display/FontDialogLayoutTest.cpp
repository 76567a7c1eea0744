#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "display/SelectBitmap.h"
#include "tests/support/UiTestSupport.h"

namespace {

TEST(FontDialogLayout, ControlsSitAtTheirTemplatePlaces)
{
    CSelectBitmap dialog("/nonexistent/*.bmp");
    ExpectTemplateLayout(dialog, 213, 262,
                         {{"IDOK", 90, 241, 50, 14},         {"IDCANCEL", 156, 241, 50, 14},
                          {"labelKind", 7, 7, 44, 8},        {"labelSample", 96, 7, 55, 8},
                          {"list1008", 7, 19, 80, 211},      {"box1009", 96, 19, 100, 200},
                          {"scroll1012", 196, 19, 10, 200},  {"scroll1013", 96, 219, 100, 11}});
}

TEST(FontDialogLayout, TextsBarsAndButtons)
{
    CSelectBitmap dialog("/nonexistent/*.bmp");
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("フォントの選択"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("labelKind"))->text(), QStringLiteral("フォントの種類:"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("labelSample"))->text(), QStringLiteral("フォントのサンプル"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("IDOK"));
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("IDCANCEL"))->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(dialog.findChild<QScrollBar*>(QStringLiteral("scroll1012"))->orientation(), Qt::Vertical);
    EXPECT_EQ(dialog.findChild<QScrollBar*>(QStringLiteral("scroll1013"))->orientation(), Qt::Horizontal);
    for (const char* name : {"scroll1012", "scroll1013"}) {
        SCOPED_TRACE(name);
        auto* bar = dialog.findChild<QScrollBar*>(QString::fromLatin1(name));
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 0);
        EXPECT_EQ(bar->value(), 0);
    }
    // The labels' texts fit their template widths in the dialog font.
    for (auto* label : dialog.findChildren<QLabel*>())
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->objectName().toStdString();
    dialog.reject();
}

}  // namespace
