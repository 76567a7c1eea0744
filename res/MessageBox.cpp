#include "res/MessageBox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

namespace {

QPointer<QWidget>& Owner()
{
    static QPointer<QWidget> owner;  // window thread only, like every message box
    return owner;
}

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon IconFor(MessageBoxType type)
{
    switch (static_cast<MessageBoxType>(static_cast<unsigned>(type) & 0xF0)) {
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:  // 0x30 and a bare MB_OK both show the exclamation icon
        return QMessageBox::Warning;
    }
}

// The buttons speak the program's language, without depending on Qt's own
// translations being installed.
void LabelButtons(QMessageBox& box)
{
    if (QAbstractButton* yes = box.button(QMessageBox::Yes))
        yes->setText(QCoreApplication::translate("MessageBox", "はい(&Y)"));
    if (QAbstractButton* no = box.button(QMessageBox::No))
        no->setText(QCoreApplication::translate("MessageBox", "いいえ(&N)"));
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("OK"));
}

DialogResult ShowBox(const QString& text, MessageBoxType type)
{
    const bool yesNo = AsksYesNo(type);
    QMessageBox box(IconFor(type), ApplicationTitle(), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    LabelButtons(box);
    const int answer = box.exec();
    if (!yesNo)
        return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}

}  // namespace

DialogResult AfxMessageBox(const QString& text, MessageBoxType type)
{
    if (Hook())
        return Hook()(text, type);
    return ShowBox(text, type);
}

QString ApplicationTitle()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void SetMessageBoxOwner(QWidget* owner)
{
    Owner() = owner;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}
