#include "res/MessageBox.h"

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

QMessageBox::Icon IconFor(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:  // 0x30 and a bare MB_OK both show the exclamation icon
        return QMessageBox::Warning;
    }
}

int ShowBox(const QString& text, unsigned flags)
{
    const bool yesNo = (flags & 0x0F) == MB_YESNO;
    QMessageBox box(IconFor(flags), ApplicationTitle(), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Owner());
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    const int answer = box.exec();
    if (!yesNo)
        return IDOK;
    return answer == QMessageBox::Yes ? IDYES : IDNO;
}

}  // namespace

int AfxMessageBox(const QString& text, unsigned flags)
{
    if (Hook())
        return Hook()(text, flags);
    return ShowBox(text, flags);
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
