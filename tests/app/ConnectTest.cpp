#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/EndSignals.h"
#include "display/ReadoutText.h"
#include "link/window/CounterLink.h"
#include "link/port/UucpLock.h"
#include "link/dialog/PortDlg.h"
#include "res/Menu131.h"
#include "res/MessageBox.h"
#include "tests/app/AppTestSupport.h"
#include "tests/link/PortHolders.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

namespace {

QImage ExpectedDigit(CCounterDisplayDlg& window, char code)
{
    return window.ReadoutData().With([code](ReadoutState& state) {
        return FontCell(state.Images.FontBitmap, state.Metrics.CellWidth, state.Metrics.CellHeight,
                        code, 2 * state.Metrics.Zoom);
    });
}

bool ShowsDigit(CCounterDisplayDlg& window, int position, char code)
{
    return FrequencyDigitArea(window, position) == ExpectedDigit(window, code);
}

// The first item of the context menu as the right button shows it.
QString FirstMenuText(CCounterDisplayDlg& window)
{
    QString first;
    OnNextPopup([&](QMenu& menu) {
        first = menu.actions().value(0)->text();
        menu.close();
    });
    RightPress(window);
    return first;
}

const std::string kRecord = "001 010 0001000000\r\n";  // 1,000,000 Hz

class ConnectTest : public testing::Test {
protected:
    MessageBoxRecorder boxes_;
    CounterPty tty_;
};

TEST_F(ConnectTest, DialogOpensWithTheStoredChoiceAndARecordReachesTheWindow)
{
    WindowUnderTest window(IniMapping(tty_, 12));
    ASSERT_TRUE(window.Start());
    int shownPort = -9, shownBaud = -9;
    QString tooltip;
    WhenModal<CPortDlg>([&](CPortDlg& dialog) {
        shownPort = dialog.PortList()->currentIndex();
        shownBaud = dialog.BaudList()->currentIndex();
        tooltip = dialog.PortList()->itemData(11, Qt::ToolTipRole).toString();
        dialog.OkButton()->click();
    });
    window->OnCommand(ID_CONNECT);
    EXPECT_EQ(shownPort, 11);
    EXPECT_EQ(shownBaud, 6);
    EXPECT_EQ(tooltip.toStdString(), tty_.SlavePath() + " (接続中)");
    ASSERT_TRUE(window->Link().IsOpen());
    EXPECT_TRUE(boxes_.Boxes().empty());
    ASSERT_TRUE(tty_.Write(kRecord));
    EXPECT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 2, '1'); }));
    EXPECT_TRUE(ShowsDigit(window.Window(), 0, ' '));
}

// Each record comes within a frame of the last paint: the window's own look at
// each frame, not a hand-off per record, brings it to the screen.
TEST_F(ConnectTest, RecordsFasterThanFramesKeepReachingTheWindow)
{
    WindowUnderTest window(IniMapping(tty_, 12));
    ASSERT_TRUE(window.Start());
    ConnectWithDialogDefaults(window.Window());
    ASSERT_EQ(window->Link().IsOpen(), 1);
    for (char digit = '1'; digit <= '9'; ++digit) {
        SCOPED_TRACE(digit);
        ASSERT_TRUE(tty_.Write(std::string("001 010 000") + digit + "000000\r\n"));
        ASSERT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 2, digit); }));
    }
}

TEST_F(ConnectTest, MenuNamesTheOpenPortAndDisconnectRestoresTheIdleReadout)
{
    WindowUnderTest window(IniMapping(tty_, 12));
    ASSERT_TRUE(window.Start());
    window->Link().TimerForTest().SetIntervalForTest(200);
    ConnectWithDialogDefaults(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());
    EXPECT_EQ(FirstMenuText(window.Window()), QStringLiteral("切断[COM12](&P)"));

    boxes_.Answer({IDYES});
    window->OnCommand(ID_CONNECT);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].Text, QStringLiteral("ポートを閉じますか？"));
    EXPECT_EQ(boxes_.Boxes()[0].Type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_FALSE(window->Link().IsOpen());
    EXPECT_FALSE(window->Link().TimerForTest().IsActive());
    QTest::qWait(600);  // three watchdog periods: nothing may follow the disconnect
    for (int i = 0; i <= 10; ++i)
        EXPECT_TRUE(ShowsDigit(window.Window(), i, kInitialFrequencyLine[i])) << i;
    EXPECT_EQ(FirstMenuText(window.Window()), QStringLiteral("接続(&P)"));
}

TEST_F(ConnectTest, DisconnectAnsweredNoKeepsTheLink)
{
    WindowUnderTest window(IniMapping(tty_, 3));
    ASSERT_TRUE(window.Start());
    ConnectWithDialogDefaults(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());
    boxes_.Answer({IDNO});
    window->OnCommand(ID_CONNECT);
    EXPECT_TRUE(window->Link().IsOpen());
    ASSERT_TRUE(tty_.Write(kRecord));
    EXPECT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 2, '1'); }));
}

TEST_F(ConnectTest, ConnectAgainAfterDisconnectWorksLikeTheFirst)
{
    WindowUnderTest window(IniMapping(tty_, 4));
    ASSERT_TRUE(window.Start());
    ConnectWithDialogDefaults(window.Window());
    window->OnCommand(ID_CONNECT);  // answered yes
    ASSERT_FALSE(window->Link().IsOpen());
    ConnectWithDialogDefaults(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());
    ASSERT_TRUE(tty_.Write(kRecord));
    EXPECT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 2, '1'); }));
}

TEST_F(ConnectTest, NoDataTextFollowsTheWatchdogPeriod)
{
    WindowUnderTest window(IniMapping(tty_, 2));
    ASSERT_TRUE(window.Start());
    window->Link().TimerForTest().SetIntervalForTest(200);
    ConnectWithDialogDefaults(window.Window());
    ASSERT_TRUE(window->Link().IsOpen());
    EXPECT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 0, 'N'); }));
    EXPECT_TRUE(ShowsDigit(window.Window(), 1, 'o'));
    EXPECT_FALSE(window->Link().TimerForTest().IsActive()) << "fires once";
}

TEST_F(ConnectTest, ExitWhileConnectedStopsTheLinkAndSaves)
{
    WindowUnderTest window(IniMapping(tty_, 9));
    ASSERT_TRUE(window.Start());
    WhenModal<CPortDlg>([](CPortDlg& dialog) {
        dialog.BaudList()->setCurrentIndex(11);
        dialog.OkButton()->click();
    });
    window->OnCommand(ID_CONNECT);
    ASSERT_TRUE(window->Link().IsOpen());
    window->OnCommand(ID_EXIT);
    EXPECT_TRUE(window->HasEnded());
    EXPECT_FALSE(window->Link().IsOpen());
    EXPECT_FALSE(window->Link().ThreadForTest().IsRunning());
    EXPECT_FALSE(window->Link().TimerForTest().IsActive());
    const std::string ini = window.ReadIni();
    EXPECT_NE(ini.find("PortNumber=9\nBaudRate=11\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[LMeter]\nC1=0.100000\nC2=0.100000\n"), std::string::npos) << ini;
}

// SIGTERM (as SIGINT and SIGHUP) ends the window as its exit does but asks nothing and
// saves nothing: every row received is in the log, the port's lock is gone.
TEST_F(ConnectTest, SigtermWritesTheLogAndLetsGoOfThePortWithoutSaving)
{
    const TempDir folder;
    const std::string ini = IniMapping(tty_, 5);
    WindowUnderTest window(ini);
    ASSERT_TRUE(window.Start());
    window->StartLogging(folder.File("run.csv"));
    ConnectWithDialogDefaults(window.Window());
    const EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::Received, &window.Window(), [&] { window->OnEndSignal(); });
    for (char digit = '1'; digit <= '9'; ++digit)
        ASSERT_TRUE(tty_.Write(std::string("001 010 000") + digit + "000000\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return ShowsDigit(window.Window(), 2, '9'); }));
    ::kill(::getpid(), SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return window->HasEnded(); }));
    const std::string log = folder.Read("run.csv");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 10) << log;
    EXPECT_FALSE(std::filesystem::exists(UucpLock().LockPathFor(tty_.SlavePath())));
    EXPECT_EQ(window.ReadIni(), ini);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// A program holding the port by flock alone, without a lock file, is named in the box.
TEST_F(ConnectTest, PortHeldByAnFlockAloneNamesItsHolderAndPid)
{
    HoldingProcess holder(tty_.SlavePath(), Hold::FlockAlone);
    ASSERT_TRUE(holder.Holds());
    WindowUnderTest window(IniMapping(tty_, 12));
    ASSERT_TRUE(window.Start());
    WhenModal<CPortDlg>([](CPortDlg& dialog) { dialog.OkButton()->click(); });
    window->OnCommand(ID_CONNECT);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].Text.toStdString(),
              "A port does not open.\n" + tty_.SlavePath() + " は port-holder (PID " + std::to_string(holder.Pid()) +
                  ") が使っています。そのプログラムを閉じてから、接続し直してください。");
    EXPECT_FALSE(window->Link().IsOpen());
}

struct FailRow {
    const char* Name;
    int PickPort;  // list indexes chosen in the dialog; -1 selects nothing
    int PickBaud;
    int PortNumber;
    int BaudIndex;
    const char* Reason;  // the start of the message's second line
};

class FailedOpenTest : public testing::TestWithParam<FailRow> {};

TEST_P(FailedOpenTest, MessageAndTheChoiceIsKept)
{
    const FailRow& row = GetParam();
    MessageBoxRecorder boxes;
    WindowUnderTest window("[Port]\nCOM7=/nonexistent/tty7\nCOM3=/nonexistent/tty3\n");
    ASSERT_TRUE(window.Start());
    WhenModal<CPortDlg>([&](CPortDlg& dialog) {
        dialog.PortList()->setCurrentIndex(row.PickPort);
        dialog.BaudList()->setCurrentIndex(row.PickBaud);
        dialog.OkButton()->click();
    });
    window->OnCommand(ID_CONNECT);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const QStringList lines = boxes.Boxes()[0].Text.split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("A port does not open."));
    EXPECT_TRUE(lines[1].startsWith(QString::fromUtf8(row.Reason))) << lines[1].toStdString();
    EXPECT_EQ(boxes.Boxes()[0].Type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(window->Link().IsOpen());
    EXPECT_EQ(window->Settings().PortNumber, row.PortNumber);
    EXPECT_EQ(window->Settings().BaudIndex, row.BaudIndex);
    int shownPort = -9, shownBaud = -9;
    WhenModal<CPortDlg>([&](CPortDlg& dialog) {
        shownPort = dialog.PortList()->currentIndex();
        shownBaud = dialog.BaudList()->currentIndex();
        dialog.CancelButton()->click();
    });
    window->OnCommand(ID_CONNECT);
    EXPECT_EQ(shownPort, row.PickPort);
    EXPECT_EQ(shownBaud, row.PickBaud);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "cancel shows nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FailedOpenTest,
    testing::Values(FailRow{"MissingDeviceCom7", 6, 6, 7, 6,
                            "/nonexistent/tty7 がありません。カウンタはつながっていますか？"},
                    FailRow{"NoPortSelected", -1, 6, 0, 6, "ポート番号が選ばれていません。"},
                    FailRow{"NoSpeedSelected", 2, -1, 3, -1, "通信速度が選ばれていません。"}), kRowName);

}  // namespace
