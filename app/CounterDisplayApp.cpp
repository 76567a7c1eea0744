#include "app/CounterDisplayApp.h"

#include <QApplication>

#include "app/CounterDisplayDlg.h"
#include "res/MessageBox.h"
#include "settings/ProgramFolders.h"

bool CCounterDisplayApp::InitInstance()
{
    // The window hides for a moment when its stay-on-top flag changes; that
    // must not end the program. Only the window's own end does.
    QApplication::setQuitOnLastWindowClosed(false);
    const ProgramFolders folders = CurrentProgramFolders();
    CCounterDisplayDlg dialog(folders.SettingsFile, folders.DefaultFont, folders.UserFontFolder);
    SetMessageBoxOwner(&dialog);
    if (!logPath_.empty())
        dialog.StartLogging(logPath_);
    dialog.DoModal();
    SetMessageBoxOwner(nullptr);
    return false;
}
