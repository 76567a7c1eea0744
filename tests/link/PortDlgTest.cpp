#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "link/dialog/PortDlg.h"
#include "res/DialogUnits.h"
#include "res/MessageBox.h"
#include "tests/support/RowName.h"

namespace {

QRect Template(int x, int y, int width, int height)
{
    return DialogRect(MeasureBaseUnits(DialogFont()), x, y, width, height);
}

void ExpectNear(int actual, int expected, const char* what)
{
    EXPECT_LE(std::abs(actual - expected), 1) << what << ": " << actual << " vs " << expected;
}

struct ControlRow {
    const char* Name;
    QWidget* (*Control)(const CPortDlg&);
    QRect DialogUnits;
    bool DroppedHeight;  // the template's height is the open list's
};

class PortDlgLayoutTest : public testing::TestWithParam<ControlRow> {};

TEST_P(PortDlgLayoutTest, ControlSitsWhereTheTemplatePutsIt)
{
    CPortDlg dialog(nullptr);
    const ControlRow& row = GetParam();
    const QRect expected = Template(row.DialogUnits.x(), row.DialogUnits.y(),
                                    row.DialogUnits.width(), row.DialogUnits.height());
    const QRect actual = row.Control(dialog)->geometry();
    ExpectNear(actual.x(), expected.x(), "x");
    ExpectNear(actual.y(), expected.y(), "y");
    ExpectNear(actual.width(), expected.width(), "width");
    if (!row.DroppedHeight)
        ExpectNear(actual.height(), expected.height(), "height");
    else
        EXPECT_LT(actual.height(), expected.height());
}

INSTANTIATE_TEST_SUITE_P(
    Template129, PortDlgLayoutTest,
    testing::Values(
        ControlRow{"Ok", [](const CPortDlg& d) -> QWidget* { return d.OkButton(); }, {98, 7, 50, 14}, false},
        ControlRow{"Cancel", [](const CPortDlg& d) -> QWidget* { return d.CancelButton(); }, {98, 29, 50, 14}, false},
        ControlRow{"PortLabel", [](const CPortDlg& d) -> QWidget* { return d.PortLabel(); }, {7, 10, 32, 8}, false},
        ControlRow{"BaudLabel", [](const CPortDlg& d) -> QWidget* { return d.BaudLabel(); }, {7, 33, 28, 8}, false},
        ControlRow{"PortList", [](const CPortDlg& d) -> QWidget* { return d.PortList(); }, {43, 7, 48, 100}, true},
        ControlRow{"BaudList", [](const CPortDlg& d) -> QWidget* { return d.BaudList(); }, {43, 31, 48, 100}, true}),
    kRowName);

TEST(PortDlgTest, ClientAreaCaptionTextsAndLists)
{
    CPortDlg dialog(nullptr);
    const QRect client = Template(0, 0, 155, 50);
    ExpectNear(dialog.width(), client.width(), "width");
    ExpectNear(dialog.height(), client.height(), "height");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("シリアルポートの条件"));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.CancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(dialog.PortLabel()->text(), QStringLiteral("ポート番号"));
    EXPECT_EQ(dialog.BaudLabel()->text(), QStringLiteral("通信速度"));
    EXPECT_TRUE(dialog.OkButton()->isDefault());
    EXPECT_FALSE(dialog.CancelButton()->isDefault());
    ASSERT_EQ(dialog.PortList()->count(), 20);
    EXPECT_EQ(dialog.PortList()->itemText(0), QStringLiteral("COM1"));
    EXPECT_EQ(dialog.PortList()->itemText(11), QStringLiteral("COM12"));
    EXPECT_EQ(dialog.PortList()->itemText(19), QStringLiteral("COM20"));
    QStringList speeds;
    for (int i = 0; i < dialog.BaudList()->count(); ++i)
        speeds << dialog.BaudList()->itemText(i);
    EXPECT_EQ(speeds.join(' '),
              QStringLiteral("110 300 600 1200 2400 4800 9600 14400 19200 38400 57600 115200"));
    EXPECT_FALSE(dialog.PortList()->isEditable());
}

TEST(PortDlgTest, TabOrderRunsOkCancelPortSpeed)
{
    CPortDlg dialog(nullptr);
    auto nextTabStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (widget && !(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    EXPECT_EQ(nextTabStop(dialog.OkButton()), dialog.CancelButton());
    EXPECT_EQ(nextTabStop(dialog.CancelButton()), dialog.PortList());
    EXPECT_EQ(nextTabStop(dialog.PortList()), dialog.BaudList());
}

TEST(PortDlgTest, EachPortCarriesItsDeviceAsTooltip)
{
    CPortDlg dialog(nullptr, [](int port) { return "/dev/fake" + std::to_string(port); });
    EXPECT_EQ(dialog.PortList()->itemData(0, Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/fake1"));
    EXPECT_EQ(dialog.PortList()->itemData(19, Qt::ToolTipRole).toString(),
              QStringLiteral("/dev/fake20"));
    EXPECT_EQ(dialog.PortList()->itemText(19), QStringLiteral("COM20"));
}

struct ExchangeRow {
    const char* Name;
    int PortIn, BaudIn;
    int ShownPort, ShownBaud;  // list selections while open
    int PickPort, PickBaud;    // -2: leave the selection as it is
    int PortOut, BaudOut;
};

class PortDlgExchangeTest : public testing::TestWithParam<ExchangeRow> {};

TEST_P(PortDlgExchangeTest, SelectionsInAndOut)
{
    const ExchangeRow& row = GetParam();
    CPortDlg dialog(nullptr);
    dialog.m_nPortIndex = row.PortIn;
    dialog.m_nBaudIndex = row.BaudIn;
    int shownPort = -9, shownBaud = -9;
    QWidget* focused = nullptr;
    QTimer::singleShot(0, [&] {
        focused = dialog.focusWidget();
        shownPort = dialog.PortList()->currentIndex();
        shownBaud = dialog.BaudList()->currentIndex();
        if (row.PickPort != -2)
            dialog.PortList()->setCurrentIndex(row.PickPort);
        if (row.PickBaud != -2)
            dialog.BaudList()->setCurrentIndex(row.PickBaud);
        dialog.OkButton()->click();
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(focused, dialog.OkButton());
    EXPECT_EQ(shownPort, row.ShownPort);
    EXPECT_EQ(shownBaud, row.ShownBaud);
    EXPECT_EQ(dialog.m_nPortIndex, row.PortOut);
    EXPECT_EQ(dialog.m_nBaudIndex, row.BaudOut);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PortDlgExchangeTest,
    testing::Values(ExchangeRow{"Com3At9600", 2, 6, 2, 6, -2, -2, 2, 6},
                    ExchangeRow{"NoPortSelected", -1, 6, -1, 6, -2, -2, -1, 6},
                    ExchangeRow{"Port21SelectsNothing", 20, 6, -1, 6, -2, -2, -1, 6},
                    ExchangeRow{"SpeedTwelveSelectsNothing", 0, 12, 0, -1, -2, -2, 0, -1},
                    ExchangeRow{"NegativeSpeed", 0, -5, 0, -1, -2, -2, 0, -1},
                    ExchangeRow{"ChooseCom20At115200", 0, 0, 0, 0, 19, 11, 19, 11},
                    ExchangeRow{"ChoosePortWhereNoneWas", -1, -1, -1, -1, 6, 3, 6, 3}), kRowName);

TEST(PortDlgTest, CancelKeepsTheFields)
{
    CPortDlg dialog(nullptr);
    dialog.m_nPortIndex = 4;
    dialog.m_nBaudIndex = 2;
    QTimer::singleShot(0, [&] {
        dialog.PortList()->setCurrentIndex(9);
        dialog.CancelButton()->click();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_nPortIndex, 4);
    EXPECT_EQ(dialog.m_nBaudIndex, 2);
}

}  // namespace
