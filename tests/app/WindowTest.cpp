#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/CommandTexts.h"
#include "display/ReadoutText.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"

namespace {

GlyphMetrics Metrics(CCounterDisplayDlg& window)
{
    return window.ReadoutData().With([](ReadoutState& state) { return state.Metrics; });
}

QImage Font(CCounterDisplayDlg& window)
{
    return window.ReadoutData().With([](ReadoutState& state) { return state.Images.FontBitmap; });
}

// The window's pixels of one small cell (row 2 and below) at the window's zoom.
QImage SmallCell(CCounterDisplayDlg& window, int column, int row)
{
    const GlyphMetrics m = Metrics(window);
    return GrabWindow(window).copy(column * m.CellWidth * m.Zoom, row * m.CellHeight * m.Zoom,
                                   m.CellWidth * m.Zoom, m.CellHeight * m.Zoom);
}

void ExpectIdleReadout(CCounterDisplayDlg& window)
{
    const GlyphMetrics m = Metrics(window);
    const QImage font = Font(window);
    for (int i = 0; i <= 10; ++i) {
        SCOPED_TRACE("frequency position " + std::to_string(i));
        EXPECT_EQ(FrequencyDigitArea(window, i),
                  FontCell(font, m.CellWidth, m.CellHeight, kInitialFrequencyLine[i], 2 * m.Zoom));
    }
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE("status position " + std::to_string(i));
        EXPECT_EQ(SmallCell(window, i, 2),
                  FontCell(font, m.CellWidth, m.CellHeight, kInitialStatusLine[i], m.Zoom));
    }
}

void SendWheel(CCounterDisplayDlg& window, QPoint angle)
{
    const QPointF local(10, 10);
    QWheelEvent wheel(local, window.mapToGlobal(local), QPoint(), angle, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
}

void SendMouse(CCounterDisplayDlg& window, QEvent::Type type, QPoint global, Qt::MouseButtons buttons)
{
    const QPointF local = window.mapFromGlobal(QPointF(global));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

TEST(StartUpTest, ShowsTheIdleReadoutCentredAtTheFontSize)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window.Window()));
    const GlyphMetrics m = Metrics(window.Window());
    EXPECT_EQ(window->size(), QSize(m.CellWidth * 24, m.CellHeight * 3));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pelmora"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window->windowIcon().isNull());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->frameGeometry().center() - area.center()).manhattanLength(), 2);
    ExpectIdleReadout(window.Window());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(StartUpTest, NoFontAtAllEndsBeforeTheWindowAppearsAndSavesNothing)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window("[Font]\nFont=/nonexistent/a.bmp\n", "/nonexistent/font/font.bmp");
    EXPECT_EQ(window->DoModal(), IDOK);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->HasEnded());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, QStringLiteral("Can't Open font [/nonexistent/font/font.bmp]"));
    EXPECT_EQ(boxes.Boxes()[0].Type, MB_OK);
    EXPECT_EQ(window.ReadIni(), "[Font]\nFont=/nonexistent/a.bmp\n");
}

TEST(KeyFilterTest, EnterAndEscapeDoNothing)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window.Window(), &press);
        EXPECT_TRUE(press.isAccepted());
    }
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->HasEnded());
    EXPECT_TRUE(boxes.Boxes().empty());
}

struct ExitRow {
    const char* Name;
    bool ByClose;  // the window manager's close instead of ID_EXIT
    DialogResult Answer;
    bool Ends;
};

class ExitTest : public testing::TestWithParam<ExitRow> {};

TEST_P(ExitTest, AsksFirstAndSavesOnlyWhenConfirmed)
{
    const ExitRow& row = GetParam();
    MessageBoxRecorder boxes;
    boxes.Answer({row.Answer});
    const std::string ini = "[Window]\nTopMost=2\n[Port]\nPortNumber=7\nBaudRate=3\n";
    WindowUnderTest window(ini);
    ASSERT_TRUE(window.Start());
    if (row.ByClose)
        window->close();
    else
        window->OnCommand(ID_EXIT);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, QStringLiteral("終了しますか？"));
    EXPECT_EQ(boxes.Boxes()[0].Type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(window->HasEnded(), row.Ends);
    EXPECT_EQ(window->isVisible(), !row.Ends);
    const std::string saved =
        ini + "[Font]\nFont=" + DefaultFontPath() + "\n[LMeter]\nC1=0.100000\nC2=0.100000\n";
    EXPECT_EQ(window.ReadIni(), row.Ends ? saved : ini);
}

INSTANTIATE_TEST_SUITE_P(Answers, ExitTest,
                         testing::Values(ExitRow{"CommandNo", false, IDNO, false},
                                         ExitRow{"CommandYes", false, IDYES, true},
                                         ExitRow{"CloseNo", true, IDNO, false},
                                         ExitRow{"CloseYes", true, IDYES, true}), kRowName);

TEST(ExitTest, ConfirmedExitEndsTheModalLoop)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    QTimer::singleShot(0, [&] { window->OnCommand(ID_EXIT); });
    EXPECT_EQ(window->DoModal(), IDOK);
    EXPECT_FALSE(window->isVisible());
}

// Installed settings that cannot be kept (no home folder, a folder that cannot be
// made): the exit says once where and why.
TEST(ExitTest, UnsavedInstalledSettingsAreReported)
{
    const TempDir folder;
    folder.Write("file", "");
    const std::string blocked = folder.File("file/Pelmora/Pelmora.ini");
    const std::pair<std::string, QString> cases[] = {
        {"", "~/.config/Pelmora/Pelmora.ini: " + ShownText(kNoHomeFolder)},
        {blocked, QString::fromStdString(blocked) + ": Not a directory"}};
    for (const auto& [ini, text] : cases) {
        MessageBoxRecorder boxes;
        CCounterDisplayDlg window(ini, DefaultFontPath(), "", true);
        ASSERT_TRUE(window.Start());
        window.OnCommand(ID_EXIT);
        EXPECT_EQ(boxes.Texts(), (std::vector<QString>{"終了しますか？", "設定を保存できませんでした: " + text}));
    }
}

TEST(DragTest, ManualMoveFollowsTheMouse)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->ForceManualMove(true);
    const QPoint start = window->pos();
    const QPoint grip = window->mapToGlobal(QPoint(10, 10));
    SendMouse(window.Window(), QEvent::MouseButtonPress, grip, Qt::LeftButton);
    SendMouse(window.Window(), QEvent::MouseButtonRelease, grip, Qt::NoButton);
    EXPECT_EQ(window->pos(), start) << "a click without movement stays";
    SendMouse(window.Window(), QEvent::MouseButtonPress, grip, Qt::LeftButton);
    SendMouse(window.Window(), QEvent::MouseMove, grip + QPoint(15, 5), Qt::LeftButton);
    SendMouse(window.Window(), QEvent::MouseMove, grip + QPoint(30, 20), Qt::LeftButton);
    SendMouse(window.Window(), QEvent::MouseButtonRelease, grip + QPoint(30, 20), Qt::NoButton);
    EXPECT_EQ(window->pos(), start + QPoint(30, 20));
    SendMouse(window.Window(), QEvent::MouseMove, grip + QPoint(90, 90), Qt::NoButton);
    EXPECT_EQ(window->pos(), start + QPoint(30, 20)) << "no move after the release";
}

struct WheelRow {
    const char* Name;
    std::vector<int> Deltas;  // vertical; 0 sends a purely horizontal turn
    int Zoom;
};

class WheelTest : public testing::TestWithParam<WheelRow> {};

TEST_P(WheelTest, OneStepPerEventWithinOneToFive)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    const QPoint topLeft = window->pos();
    for (int delta : GetParam().Deltas)
        SendWheel(window.Window(), delta == 0 ? QPoint(120, 0) : QPoint(0, delta));
    const GlyphMetrics m = Metrics(window.Window());
    EXPECT_EQ(m.Zoom, GetParam().Zoom);
    EXPECT_EQ(window->size(), QSize(m.CellWidth * 24 * m.Zoom, m.CellHeight * 3 * m.Zoom));
    EXPECT_EQ(window->pos(), topLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Turns, WheelTest,
    testing::Values(WheelRow{"ForwardOnce", {120}, 2}, WheelRow{"TinyForward", {1}, 2},
                    WheelRow{"BigForwardIsOneStep", {960}, 2},
                    WheelRow{"BackwardAtOne", {-120}, 1},
                    WheelRow{"ForwardSixTimesStopsAtFive", {120, 120, 120, 120, 120, 120}, 5},
                    WheelRow{"HorizontalChangesNothing", {120, 0, 0}, 2},
                    WheelRow{"UpThenDown", {120, 120, -120}, 2}), kRowName);

TEST(WheelTest, ZoomThreeRepeatsEachPixel)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    SendWheel(window.Window(), {0, 120});
    SendWheel(window.Window(), {0, 120});
    ASSERT_EQ(Metrics(window.Window()).Zoom, 3);
    ExpectIdleReadout(window.Window());
}

TEST(LMeterShowTest, ToggleAddsAndRemovesOneRowKeepingTheCorner)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    SendWheel(window.Window(), {0, 120});
    const QPoint topLeft = window->pos();
    const GlyphMetrics m = Metrics(window.Window());
    window->OnCommand(ID_LMETER_SHOW);
    EXPECT_EQ(window->size(), QSize(m.CellWidth * 48, m.CellHeight * 8));
    EXPECT_EQ(window->pos(), topLeft);
    const QImage font = Font(window.Window());
    EXPECT_EQ(SmallCell(window.Window(), 0, 2),
              FontCell(font, m.CellWidth, m.CellHeight, 'L', 2)) << "inductance line in row 2";
    EXPECT_EQ(SmallCell(window.Window(), 0, 3),
              FontCell(font, m.CellWidth, m.CellHeight, 'P', 2)) << "status line in row 3";
    window->OnCommand(ID_LMETER_SHOW);
    EXPECT_EQ(window->size(), QSize(m.CellWidth * 48, m.CellHeight * 6));
    EXPECT_EQ(window.Window().ReadoutData().With([](ReadoutState& s) { return s.LMeterVisible; }), 0);
}

struct TopMostRow {
    const char* Name;
    const char* Start;
    bool OnTopAtStart;  // only 1 means on top
    int After;          // the setting after ID_TOPMOST
};

class TopMostTest : public testing::TestWithParam<TopMostRow> {};

TEST_P(TopMostTest, StartsFromTheSettingAndTheToggleFlipsItInPlace)
{
    const TopMostRow& row = GetParam();
    WindowUnderTest window(std::string("[Window]\nTopMost=") + row.Start + "\n");
    ASSERT_TRUE(window.Start());
    EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), row.OnTopAtStart);
    const QPoint at = window->pos();
    window->OnCommand(ID_TOPMOST);
    EXPECT_EQ(window->Settings().TopMost, row.After);
    EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), row.After == 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), at);
    EXPECT_FALSE(window->HasEnded());
}

INSTANTIATE_TEST_SUITE_P(Values, TopMostTest,
                         testing::Values(TopMostRow{"OneToZero", "1", true, 0},
                                         TopMostRow{"ZeroToOne", "0", false, 1},
                                         TopMostRow{"TwoToOne", "2", false, 1},
                                         TopMostRow{"TextToOne", "yes", false, 1}), kRowName);

TEST(AboutTest, InformationBoxWithTheVersion)
{
    MessageBoxRecorder boxes;
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->OnCommand(ID_ABOUT);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(boxes.Boxes()[0].Text.startsWith(QStringLiteral("Pelmora Version 1.10\r\n\r\n")));
    EXPECT_EQ(boxes.Boxes()[0].Type, MB_ICONINFORMATION);
}

TEST(MinimizeTest, CommandMinimizesTheWindow)
{
    WindowUnderTest window;
    ASSERT_TRUE(window.Start());
    window->OnCommand(ID_MINIMIZE);
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(window->HasEnded());
}

}  // namespace
