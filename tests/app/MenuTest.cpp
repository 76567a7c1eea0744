#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QTest>
#include <gtest/gtest.h>

#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/RowName.h"

namespace {

struct ShownMenu {
    QStringList TopTexts;
    QStringList SettingsTexts;
    QList<bool> SettingsChecks;
    QPoint Position;
};

ShownMenu Read(QMenu& menu)
{
    ShownMenu shown;
    shown.Position = menu.pos();
    for (QAction* action : menu.actions()) {
        shown.TopTexts << action->text();
        if (QMenu* settings = action->menu())
            for (QAction* item : settings->actions()) {
                shown.SettingsTexts << item->text();
                shown.SettingsChecks << item->isChecked();
            }
    }
    return shown;
}

// Presses the right button, reads the menu and dismisses it with Escape.
ShownMenu ShowAndDismiss(CCounterDisplayDlg& window)
{
    ShownMenu shown;
    bool seen = false;
    OnNextPopup([&](QMenu& menu) {
        shown = Read(menu);
        seen = true;
        QTest::keyClick(&menu, Qt::Key_Escape);
    });
    RightPress(window);
    EXPECT_TRUE(seen);
    return shown;
}

struct StateRow {
    const char* Name;
    const char* Ini;
    bool ShowLMeter;
    bool TopMostChecked;
    bool LMeterChecked;
    bool StatsChecked = false;
};

class MenuStateTest : public testing::TestWithParam<StateRow> {};

TEST_P(MenuStateTest, LabelsAndCheckMarks)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window(GetParam().Ini);
    ASSERT_TRUE(window.Start());
    if (GetParam().ShowLMeter)
        window->OnCommand(ID_LMETER_SHOW);
    const ShownMenu shown = ShowAndDismiss(window.Window());
    EXPECT_EQ(shown.TopTexts.join('|'),
              QStringLiteral("接続(&P)||設定(&S)||最小化(&N)||このソフトについて(&A)||終了(&X)"));
    // The original items stand as they were; the statistics window's comes after them.
    EXPECT_EQ(shown.SettingsTexts.join('|'),
              QStringLiteral("常に最前面に表示(&T)|フォント変更(&F)||Lメータ表示(L)|Lメータ設定||統計(&I)"));
    ASSERT_EQ(shown.SettingsChecks.size(), 7);
    EXPECT_EQ(shown.SettingsChecks[0], GetParam().TopMostChecked);
    EXPECT_FALSE(shown.SettingsChecks[1]);
    EXPECT_EQ(shown.SettingsChecks[3], GetParam().LMeterChecked);
    EXPECT_FALSE(shown.SettingsChecks[4]);
    EXPECT_EQ(shown.SettingsChecks[6], GetParam().StatsChecked);
    EXPECT_TRUE(boxes.Boxes().empty()) << "dismissing runs no command";
    EXPECT_FALSE(window->HasEnded());
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuStateTest,
    testing::Values(StateRow{"Defaults", "", false, false, false},
                    StateRow{"TopMostOne", "[Window]\nTopMost=1\n", false, true, false},
                    StateRow{"TopMostTwo", "[Window]\nTopMost=2\n", false, false, false},
                    StateRow{"LMeterShown", "", true, false, true},
                    StateRow{"Both", "[Window]\nTopMost=1\n", true, true, true},
                    StateRow{"StatsOpenAtStart", "[Stats]\nOpen=1\n", false, false, false, true}),
    kRowName);

TEST(MenuTest, TopMostCheckFollowsTheToggle)
{
    WindowUnderTest window("[Window]\nTopMost=2\n");
    ASSERT_TRUE(window.Start());
    window->OnCommand(ID_TOPMOST);
    EXPECT_TRUE(ShowAndDismiss(window.Window()).SettingsChecks.value(0));
    window->OnCommand(ID_TOPMOST);
    EXPECT_FALSE(ShowAndDismiss(window.Window()).SettingsChecks.value(0));
}

TEST(MenuTest, OpensAtTheCursorNotAtThePress)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    const QPoint cursor = window->geometry().topLeft() + QPoint(40, 30);
    QCursor::setPos(cursor);
    if (QCursor::pos() != cursor)
        GTEST_SKIP() << "this platform cannot place the cursor";
    EXPECT_EQ(ShowAndDismiss(window.Window()).Position, cursor);
}

TEST(MenuTest, ChosenItemRunsItsCommandAfterTheMenuCloses)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    bool menuGone = false;
    OnNextPopup([&](QMenu& menu) {
        QAction* about = menu.actions().value(6);
        ASSERT_NE(about, nullptr);
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(about).center());
    });
    RightPress(window.Window());
    menuGone = QApplication::activePopupWidget() == nullptr;
    EXPECT_TRUE(menuGone);
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes().empty(); }));
    EXPECT_TRUE(boxes.Boxes()[0].Text.startsWith(QStringLiteral("Pelmora Version 1.10")));
}

// A submenu's command as well: it waits in the queue until the menu's own loop has ended.
TEST(MenuTest, TriggeredCommandRunsOnlyOnceTheMenuHasReturned)
{
    WindowUnderTest window("[Window]\nTopMost=0\n");
    ASSERT_TRUE(window.Start());
    OnNextPopup([](QMenu& menu) {
        QAction* topMost = menu.actions().value(2)->menu()->actions().value(0);
        menu.hide();
        topMost->trigger();
    });
    RightPress(window.Window());
    EXPECT_EQ(window->Settings().TopMost, 0) << "ran inside the menu";
    ASSERT_TRUE(WaitUntil([&] { return window->Settings().TopMost == 1; }));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

}  // namespace
