#include <cmath>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "display/Readout.h"
#include "lmeter/LMeterDlg.h"
#include "res/MessageBox.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"
#include "tests/support/UiTestSupport.h"

namespace {

const QString kNotANumberC1 = QStringLiteral("C1の値には数値を入力してください。");
const QString kOutOfRangeC1 = QStringLiteral("C1の値には 0.000001 から 100 までの数値を入力してください。");
const QString kOutOfRangeC2 = QStringLiteral("C2の値には 0.000001 から 100 までの数値を入力してください。");

constexpr double kOldC1 = 0.47;
constexpr double kOldC2 = 2.2;

QLineEdit* Edit(QWidget& dialog, const char* name)
{
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

QPushButton* Button(QWidget& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

struct ExchangeRow {
    const char* Name;
    const char* c1Text;
    const char* c2Text;
    bool accepted;
    double c1;  // C1 and C2 after the dialog
    double c2;
    QString message;        // empty: none shown
    const char* focusEdit;  // where the focus is after a refusal
};

void PrintTo(const ExchangeRow& row, std::ostream* os)
{
    *os << row.Name;
}

const QString kNone;

void SetCapacitors(Readout& readout, double c1, double c2)
{
    readout.With([&](ReadoutState& state) {
        state.C1 = c1;
        state.C2 = c2;
    });
}

double C1Of(Readout& readout)
{
    return readout.With([](ReadoutState& state) { return state.C1; });
}

double C2Of(Readout& readout)
{
    return readout.With([](ReadoutState& state) { return state.C2; });
}

const ExchangeRow kExchangeRows[] = {
    {"plain_values", "0.1", "0.22", true, 0.1, 0.22, kNone, ""},
    {"lower_bound_scientific", "1e-6", "0.000001", true, 1e-6, 1e-6, kNone, ""},
    {"upper_bound", "100", "100.0", true, 100.0, 100.0, kNone, ""},
    {"blanks_around", "  0.5 ", "\t3", true, 0.5, 3.0, kNone, ""},
    {"plus_sign_and_exponent", "+2", "2.5E1", true, 2.0, 25.0, kNone, ""},
    {"zero", "0", "1", false, kOldC1, kOldC2, kOutOfRangeC1, "edit1016"},
    {"negative", "-1", "1", false, kOldC1, kOldC2, kOutOfRangeC1, "edit1016"},
    {"just_below_lower_bound", "9.99e-7", "1", false, kOldC1, kOldC2, kOutOfRangeC1, "edit1016"},
    {"c2_too_large", "1", "200", false, kOldC1, kOldC2, kOutOfRangeC2, "edit1017"},
    {"c2_just_above_upper_bound", "1", "100.000001", false, kOldC1, kOldC2, kOutOfRangeC2, "edit1017"},
    {"letters", "abc", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"trailing_letter", "0.1x", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"not_a_number", "nan", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"infinity", "inf", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"empty", "", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"only_blanks", "   ", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"decimal_comma", "0,1", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"hexadecimal", "0x10", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"two_numbers", "1 2", "1", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"overflowing_exponent", "1e999", "1", false, kOldC1, kOldC2, kOutOfRangeC1, "edit1016"},
    {"first_failure_wins", "abc", "200", false, kOldC1, kOldC2, kNotANumberC1, "edit1016"},
    {"good_c1_kept_back_when_c2_fails", "5", "x", false, kOldC1, kOldC2,
     QStringLiteral("C2の値には数値を入力してください。"), "edit1017"},
};

class LMeterExchange : public ::testing::TestWithParam<ExchangeRow> {};

TEST_P(LMeterExchange, OkAcceptsOnlyNumbersWithinBounds)
{
    const ExchangeRow& row = GetParam();
    Readout readout;
    SetCapacitors(readout, kOldC1, kOldC2);
    MessageBoxRecorder messages;
    bool stayedOpen = false;
    QString focus;
    WhenModal([&](QWidget& dialog) {
        Edit(dialog, "edit1016")->setText(QString::fromUtf8(row.c1Text));
        Edit(dialog, "edit1017")->setText(QString::fromUtf8(row.c2Text));
        Button(dialog, "IDOK")->click();
        stayedOpen = dialog.isVisible();
        if (dialog.focusWidget() != nullptr)
            focus = dialog.focusWidget()->objectName();
        if (stayedOpen)
            Button(dialog, "IDCANCEL")->click();
    });
    OnLMeterSettingsDialog(nullptr, readout);

    EXPECT_EQ(stayedOpen, !row.accepted);
    EXPECT_EQ(C1Of(readout), row.c1);
    EXPECT_EQ(C2Of(readout), row.c2);
    if (row.message.isEmpty()) {
        EXPECT_TRUE(messages.Texts().empty());
        return;
    }
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], row.message);
    EXPECT_EQ(messages.Boxes().back().Type, MB_ICONEXCLAMATION);
    EXPECT_EQ(focus, QString::fromLatin1(row.focusEdit));
}

INSTANTIATE_TEST_SUITE_P(Rows, LMeterExchange, ::testing::ValuesIn(kExchangeRows), kRowName);

TEST(LMeterDialog, OpensWithBothValuesInTheirEdits)
{
    Readout readout;
    SetCapacitors(readout, 0.1, 1e-6);
    QString c1Text;
    QString c2Text;
    WhenModal([&](QWidget& dialog) {
        c1Text = Edit(dialog, "edit1016")->text();
        c2Text = Edit(dialog, "edit1017")->text();
        Button(dialog, "IDOK")->click();
    });
    OnLMeterSettingsDialog(nullptr, readout);
    EXPECT_EQ(c1Text, QStringLiteral("0.1"));
    EXPECT_EQ(c2Text, QStringLiteral("1e-06"));
    EXPECT_EQ(C1Of(readout), 0.1);  // OK without an edit stores what was shown, bit for bit
    EXPECT_EQ(C2Of(readout), 1e-6);
}

TEST(LMeterDialog, ShownTextReadsBackAsTheSameDouble)
{
    for (double value : {0.1, 1e-6, 100.0, 1.0 / 3.0, 2.2, 47e-3, 99.99999999999999, 1.000001e-6}) {
        SCOPED_TRACE(value);
        const std::optional<double> back = ParseExchangeDouble(FormatExchangeDouble(value));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, value);
    }
}

TEST(LMeterDialog, CancelEscapeAndCloseKeepTheValues)
{
    using Ending = std::function<void(QWidget&)>;
    const std::pair<const char*, Ending> endings[] = {
        {"cancel", [](QWidget& d) { Button(d, "IDCANCEL")->click(); }},
        {"escape", [](QWidget& d) { QTest::keyClick(Edit(d, "edit1016"), Qt::Key_Escape); }},
        {"close", [](QWidget& d) { d.close(); }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        Readout readout;
        SetCapacitors(readout, kOldC1, kOldC2);
        WhenModal([&](QWidget& dialog) {
            Edit(dialog, "edit1016")->setText(QStringLiteral("5"));
            Edit(dialog, "edit1017")->setText(QStringLiteral("7"));
            end(dialog);
        });
        OnLMeterSettingsDialog(nullptr, readout);
        EXPECT_EQ(C1Of(readout), kOldC1);
        EXPECT_EQ(C2Of(readout), kOldC2);
    }
}

TEST(LMeterDialog, EnterInAnEditValidatesLikeOk)
{
    Readout readout;
    SetCapacitors(readout, kOldC1, kOldC2);
    MessageBoxRecorder messages;
    bool openAfterBadEnter = false;
    WhenModal([&](QWidget& dialog) {
        QLineEdit* c1 = Edit(dialog, "edit1016");
        c1->setText(QStringLiteral("200"));
        QTest::keyClick(c1, Qt::Key_Return);
        openAfterBadEnter = dialog.isVisible();
        c1->setText(QStringLiteral("3.3"));
        QTest::keyClick(c1, Qt::Key_Return);
    });
    OnLMeterSettingsDialog(nullptr, readout);
    EXPECT_TRUE(openAfterBadEnter);
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(C1Of(readout), 3.3);
    EXPECT_EQ(C2Of(readout), kOldC2);
}

TEST(LMeterDialog, RefusedEditGetsItsTextSelected)
{
    MessageBoxRecorder messages;
    CLMeterDlg dialog;
    dialog.m_dC1 = 1.0;
    dialog.m_dC2 = 1.0;
    dialog.show();
    Edit(dialog, "edit1016")->setText(QStringLiteral("5"));
    Edit(dialog, "edit1017")->setText(QStringLiteral("0.1x"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Edit(dialog, "edit1017")->selectedText(), QStringLiteral("0.1x"));
    EXPECT_EQ(dialog.m_dC1, 1.0);  // a refused OK changes neither field
    dialog.reject();
}

TEST(LMeterDialog, ControlsSitAtTheirTemplatePlaces)
{
    CLMeterDlg dialog;
    ExpectTemplateLayout(dialog, 215, 152,
                         {{"IDOK", 150, 109, 58, 14},     {"IDCANCEL", 150, 131, 58, 14},
                          {"labelC1", 149, 11, 23, 8},    {"labelC2", 149, 44, 23, 8},
                          {"edit1016", 156, 23, 40, 12},  {"edit1017", 156, 56, 40, 12},
                          {"unitC1", 199, 25, 8, 8},      {"unitC2", 199, 58, 8, 8},
                          {"picture133", 7, 7, 137, 137}});
}

TEST(LMeterDialog, TextsCaptionDefaultButtonAndTabOrder)
{
    CLMeterDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Lメータ設定"));
    EXPECT_EQ(Button(dialog, "IDOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(Button(dialog, "IDCANCEL")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(Button(dialog, "IDOK")->isDefault());
    const std::pair<const char*, const char*> labels[] = {
        {"labelC1", "C1の値"}, {"labelC2", "C2の値"}, {"unitC1", "uF"}, {"unitC2", "uF"}};
    for (const auto& [name, text] : labels)
        EXPECT_EQ(dialog.findChild<QLabel*>(QString::fromLatin1(name))->text(), QString::fromUtf8(text));

    QStringList order;
    QWidget* widget = &dialog;
    do {
        widget = widget->nextInFocusChain();
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
    } while (widget != &dialog);
    EXPECT_EQ(order, (QStringList{"IDOK", "IDCANCEL", "edit1016", "edit1017"}));
}

TEST(LMeterDialog, SchematicSitsWhiteInASunkenFrame)
{
    CLMeterDlg dialog;
    auto* picture = dialog.findChild<QLabel*>(QStringLiteral("picture133"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->frameShape(), QFrame::Panel);
    EXPECT_EQ(picture->frameShadow(), QFrame::Sunken);
    const QImage shot = Snapshot(*picture);
    const QRect inside = picture->contentsRect();
    // Corners of the inside are paper, and the drawing has ink.
    EXPECT_EQ(shot.pixel(inside.topLeft() + QPoint(1, 1)), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(inside.bottomRight() - QPoint(1, 1)), qRgb(255, 255, 255));
    int ink = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ink += qGray(shot.pixel(x, y)) < 64 ? 1 : 0;
    EXPECT_GT(ink, 500);
}

}  // namespace
