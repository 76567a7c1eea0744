#include <functional>
#include <memory>

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "display/SelectBitmap.h"
#include "link/dialog/PortDlg.h"
#include "lmeter/LMeterDlg.h"
#include "res/MessageBox.h"
#include "tests/support/Modal.h"
#include "tests/support/RowName.h"
#include "tests/support/Wait.h"

namespace {

struct KeyRow {
    const char* Name;
    std::function<std::unique_ptr<QDialog>()> Make;
    int Tabs;  // from the focus the dialog opens with (OK) to the control that gets Enter
    int Result;
};

std::unique_ptr<QDialog> MakeLMeter()
{
    auto dialog = std::make_unique<CLMeterDlg>();
    dialog->m_dC1 = dialog->m_dC2 = 1.0;
    return dialog;
}

// With the current font preselected, so that OK is enabled and takes the first focus.
std::unique_ptr<QDialog> MakeFont()
{
    auto dialog = std::make_unique<CSelectBitmap>(std::string(PELMORA_FONT_DIR) + "/*.bmp");
    dialog->m_strCurrentName = "font.bmp";
    return dialog;
}

class DialogKeysTest : public testing::TestWithParam<KeyRow> {};

TEST_P(DialogKeysTest, EnterPressesTheFocusedButtonElseOk)
{
    const KeyRow& row = GetParam();
    const std::unique_ptr<QDialog> dialog = row.Make();
    WhenModal<QDialog>([&row](QDialog& shown) {
        for (int i = 0; i < row.Tabs; ++i)
            QTest::keyClick(shown.focusWidget(), Qt::Key_Tab);
        QTest::keyClick(shown.focusWidget(), Qt::Key_Return);
        if (shown.isVisible())
            shown.done(-1);
    });
    EXPECT_EQ(dialog->exec(), row.Result);
}

INSTANTIATE_TEST_SUITE_P(
    TemplateTabOrder, DialogKeysTest,
    testing::Values(
        KeyRow{"PortOnOk", [] { return std::make_unique<CPortDlg>(nullptr); }, 0, QDialog::Accepted},
        KeyRow{"PortOnCancel", [] { return std::make_unique<CPortDlg>(nullptr); }, 1, QDialog::Rejected},
        KeyRow{"PortOnPortList", [] { return std::make_unique<CPortDlg>(nullptr); }, 2, QDialog::Accepted},
        KeyRow{"FontOnCancel", MakeFont, 1, QDialog::Rejected},
        KeyRow{"FontOnList", MakeFont, 2, QDialog::Accepted},
        KeyRow{"LMeterOnCancel", MakeLMeter, 1, QDialog::Rejected},
        KeyRow{"LMeterOnEditC1", MakeLMeter, 2, QDialog::Accepted}), kRowName);

}  // namespace

namespace {

struct BoxKeyRow {
    const char* Name;
    MessageBoxType Type;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    DialogResult Answer;
};

class MessageBoxKeysTest : public testing::TestWithParam<BoxKeyRow> {};

TEST_P(MessageBoxKeysTest, JapaneseButtonsAnswerTheirKeys)
{
    const BoxKeyRow& row = GetParam();
    QStringList texts;
    WhenModal<QMessageBox>([&](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons())
            texts << button->text();
        if (!QTest::qWaitForWindowActive(&box)) {  // mnemonics reach the active window only
            ADD_FAILURE() << "the box never became active";
            return box.done(QMessageBox::Cancel);
        }
        QTest::keyClick(&box, row.Key, row.Modifiers);
        if (!WaitUntil([&box] { return !box.isVisible(); })) {
            ADD_FAILURE() << "the key left the box open";
            box.done(QMessageBox::Cancel);
        }
    });
    EXPECT_EQ(AfxMessageBox(QStringLiteral("終了しますか？"), row.Type), row.Answer);
    texts.sort();
    EXPECT_EQ(texts.join('|'), AsksYesNo(row.Type) ? QStringLiteral("いいえ(&N)|はい(&Y)")
                                                      : QStringLiteral("OK"));
}

INSTANTIATE_TEST_SUITE_P(
    RealBox, MessageBoxKeysTest,
    testing::Values(
        BoxKeyRow{"AltYesIsYes", MB_YESNO | MB_ICONQUESTION, Qt::Key_Y, Qt::AltModifier, IDYES},
        BoxKeyRow{"AltNoIsNo", MB_YESNO | MB_ICONQUESTION, Qt::Key_N, Qt::AltModifier, IDNO},
        BoxKeyRow{"EscapeIsNo", MB_YESNO | MB_ICONQUESTION, Qt::Key_Escape, Qt::NoModifier, IDNO},
        BoxKeyRow{"EnterIsTheDefaultYes", MB_YESNO | MB_ICONQUESTION, Qt::Key_Return, Qt::NoModifier, IDYES},
        BoxKeyRow{"OkBox", MB_OK, Qt::Key_Return, Qt::NoModifier, IDOK}), kRowName);

}  // namespace
