#include "app/CounterDisplayApp.h"

#include <QApplication>
#include <QTranslator>

#include "app/CounterDisplayDlg.h"
#include "app/EndSignals.h"
#include "app/Translation.h"
#include "res/MessageBox.h"
#include "settings/ProgramFolders.h"

bool CCounterDisplayApp::InitInstance()
{
    // The window hides for a moment when its stay-on-top flag changes; that
    // must not end the program. Only the window's own end does.
    QApplication::setQuitOnLastWindowClosed(false);
    const ProgramFolders folders = CurrentProgramFolders();
    const auto translation = InstallTranslation(ChosenLanguage(options_.Language, folders.SettingsFile));
    CCounterDisplayDlg dialog(folders.SettingsFile, folders.DefaultFont, folders.UserFontFolder,
                              folders.Installed);
    SetMessageBoxOwner(&dialog);
    const EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::Received, &dialog, [&dialog] { dialog.OnEndSignal(); });
    if (!options_.LogPath.empty())
        dialog.StartLogging(options_.LogPath);
    if (options_.Stats)
        dialog.OpenStatsAtStart();
    dialog.DoModal();
    SetMessageBoxOwner(nullptr);
    endedBy_ = endSignals.First();
    return false;
}
