#include <QAccessible>
#include <QPushButton>
#include <gtest/gtest.h>

#include "link/window/CounterLink.h"
#include "link/dialog/PortDlg.h"
#include "res/Menu131.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/Modal.h"
#include "tools/simulator/CounterPty.h"

namespace {

QString Accessible(CCounterDisplayDlg& window, QAccessible::Text which = QAccessible::Description)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
    return face ? face->text(which) : QStringLiteral("<no interface>");
}

TEST(WindowAccessibility, NameAndDescriptionFollowTheReadout)
{
    CounterPty counter;
    WindowUnderTest window("[Port]\nCOM5=" + counter.SlavePath() + "\nPortNumber=5\nBaudRate=6\n");
    ASSERT_TRUE(window.Start());
    CCounterDisplayDlg& shown = window.Window();
    EXPECT_EQ(Accessible(shown, QAccessible::Name), QStringLiteral("Pelmora"));
    EXPECT_EQ(Accessible(shown), QStringLiteral("000,000,000Hz"));
    window->OnCommand(ID_LMETER_SHOW);
    EXPECT_EQ(Accessible(shown), QStringLiteral("000,000,000Hz\nL=               0.000uH"));

    window->Link().TimerForTest().SetIntervalForTest(600000);  // the test calls the watchdog itself
    WhenModal<CPortDlg>([](CPortDlg& dialog) { dialog.OkButton()->click(); });
    window->OnCommand(ID_CONNECT);
    ASSERT_TRUE(counter.Write("001 010 0001000000\r\n"));  // the line reads "  1,000,000Hz |"
    EXPECT_TRUE(WaitUntil([&] { return Accessible(shown).startsWith("1,000,000Hz\nL="); }))
        << Accessible(shown).toStdString();
    window->OnCommand(ID_LMETER_SHOW);
    EXPECT_EQ(Accessible(shown), QStringLiteral("1,000,000Hz"));
    window->OnTimer();  // the raw indicator byte stands at position 14
    EXPECT_EQ(Accessible(shown), QStringLiteral("Not ReceiveHz"));
}

}  // namespace
