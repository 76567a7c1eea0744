#include <QAccessible>
#include <gtest/gtest.h>

#include "app/ReadingText.h"
#include "link/CounterLink.h"
#include "link/PortDlg.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/OnModal.h"
#include "tools/simulator/CounterPty.h"

#include <QPushButton>

namespace {

ReadoutText Lines(std::string_view frequency, std::string_view inductance)
{
    ReadoutText text;
    WriteLine(text.Frequency, frequency);
    WriteLine(text.Inductance, inductance);
    return text;
}

TEST(ReadingText, ReadsTheLinesWithoutIndicatorOrPadding)
{
    const struct {
        const char* Name;
        ReadoutText Text;
        bool InductanceShown;
        std::string Expected;
    } rows[] = {
        {"idle", Lines(kInitialFrequencyLine, kInitialInductanceLine), false, "000,000,000Hz"},
        {"record, indicator |", Lines("  1,000,000Hz |", ""), false, "1,000,000Hz"},
        {"record, indicator -", Lines("123,456,789Hz -", ""), false, "123,456,789Hz"},
        {"over range", Lines("---,---,---Hz |", ""), false, "---,---,---Hz"},
        {"no data, raw indicator 1", Lines(std::string_view("Not ReceiveHz \x01", 15), ""), false,
         "Not ReceiveHz"},
        {"no data, raw indicator 0", Lines(std::string_view("Not ReceiveHz \0", 15), ""), false,
         "Not ReceiveHz"},
        {"inductance shown", Lines("  1,000,000Hz |", "L=               2.533uH"), true,
         "1,000,000Hz\nL=               2.533uH"},
        {"inductance, trailing control bytes", Lines("000,000,000Hz  ", "L=    1.0uH \r\n\x7f"), true,
         "000,000,000Hz\nL=    1.0uH"},
        {"inductance hidden", Lines("000,000,000Hz  ", "L=    1.0uH"), false, "000,000,000Hz"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(ReadingText(row.Text, row.InductanceShown), row.Expected);
    }
}

QString Accessible(CCounterDisplayDlg& window, QAccessible::Text which)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
    return face ? face->text(which) : QStringLiteral("<no interface>");
}

QString Description(CCounterDisplayDlg& window)
{
    return Accessible(window, QAccessible::Description);
}

TEST(WindowAccessibility, NameAndDescriptionFollowTheReadout)
{
    CounterPty counter;
    WindowUnderTest window("[Port]\nCOM5=" + counter.SlavePath() + "\nPortNumber=5\nBaudRate=6\n");
    ASSERT_TRUE(window.Start());
    EXPECT_EQ(Accessible(window.Window(), QAccessible::Name), QStringLiteral("Pelmora"));
    EXPECT_EQ(Description(window.Window()), QStringLiteral("000,000,000Hz"));

    window->OnCommand(1015);
    EXPECT_EQ(Description(window.Window()), QStringLiteral("000,000,000Hz\nL=               0.000uH"));

    window->Link().TimerForTest().SetIntervalForTest(600000);  // the test calls the watchdog itself
    OnModal<CPortDlg>([](CPortDlg& dialog) { dialog.OkButton()->click(); });
    window->OnCommand(1003);
    ASSERT_TRUE(window->Link().IsOpen());
    ASSERT_TRUE(counter.Write("001 010 0001000000\r\n"));
    EXPECT_TRUE(WaitFor([&] { return Description(window.Window()).startsWith("1,000,000Hz\nL="); }))
        << Description(window.Window()).toStdString();

    window->OnCommand(1015);
    EXPECT_EQ(Description(window.Window()), QStringLiteral("1,000,000Hz"));
    window->OnTimer();
    EXPECT_EQ(Description(window.Window()), QStringLiteral("Not ReceiveHz"));
}

}  // namespace
