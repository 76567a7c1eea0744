#pragma once

#include <functional>

#include <QString>

class QWidget;

// Message boxes as the program uses them: a style of buttons and icon, the
// program's title as caption, the main window as owner.
enum class MessageBoxType : unsigned {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
using enum MessageBoxType;

constexpr MessageBoxType operator|(MessageBoxType buttons, MessageBoxType icon)
{
    return static_cast<MessageBoxType>(static_cast<unsigned>(buttons) | static_cast<unsigned>(icon));
}

constexpr bool AsksYesNo(MessageBoxType type)
{
    return (static_cast<unsigned>(type) & 0x0F) == static_cast<unsigned>(MB_YESNO);
}

// How a message box or a dialog was answered.
enum class DialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
using enum DialogResult;

// Shows text and returns IDOK, IDYES or IDNO.
DialogResult AfxMessageBox(const QString& text, MessageBoxType type);

// The executable's file name without its extension.
QString ApplicationTitle();

// The owner of every message box; null until the main window exists.
void SetMessageBoxOwner(QWidget* owner);

// Tests answer message boxes here instead of a person; an empty hook restores
// the real boxes.
using MessageBoxHook = std::function<DialogResult(const QString& text, MessageBoxType type)>;
void SetMessageBoxHook(MessageBoxHook hook);
