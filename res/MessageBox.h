#pragma once

#include <functional>

#include <QString>

class QWidget;

// Message boxes as the program uses them: numeric flags, the program's title
// as caption, the main window as owner.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows text and returns IDOK, IDYES or IDNO.
int AfxMessageBox(const QString& text, unsigned flags);

// The executable's file name without its extension.
QString ApplicationTitle();

// The owner of every message box; null until the main window exists.
void SetMessageBoxOwner(QWidget* owner);

// Tests answer message boxes here instead of a person; an empty hook restores
// the real boxes.
using MessageBoxHook = std::function<int(const QString& text, unsigned flags)>;
void SetMessageBoxHook(MessageBoxHook hook);
