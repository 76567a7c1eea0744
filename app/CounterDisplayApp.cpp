#include "app/CounterDisplayApp.h"

#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <optional>

#include "app/CounterDisplayDlg.h"
#include "display/Readout.h"
#include "link/window/CounterLink.h"
#include "app/EndSignals.h"
#include "app/ShareTexts.h"
#include "app/Translation.h"
#include "res/MessageBox.h"
#include "settings/AppSettings.h"
#include "settings/ProgramFolders.h"
#include "share/ShareSink.h"

void CCounterDisplayApp::ShareReadings(std::optional<ShareSink>& share, CCounterDisplayDlg& dialog,
                                       const std::string& iniPath) const
{
    const ShareSettings settings = ReadShareSettings(iniPath);
    Readout& readout = dialog.ReadoutData();
    const int tcpPort = options_.ServeTcp != 0 ? options_.ServeTcp : settings.TcpPort;
    share.emplace(
        dialog.Link().Session(), ShareOptions{settings.Enabled, tcpPort, {}},
        [](ShareNotice notice, const std::string& detail) {
            std::fprintf(stderr, "Pelmora: %s\n", ShareNoticeText(notice, detail).toLocal8Bit().constData());
        },
        [&readout]() -> std::optional<LogCapacitors> {
            return readout.With([](ReadoutState& state) { return LogCapacitors{state.C1, state.C2}; });
        });
    dialog.Link().AddSink(*share);
}

bool CCounterDisplayApp::InitInstance()
{
    // The window hides for a moment when its stay-on-top flag changes; that
    // must not end the program. Only the window's own end does.
    QApplication::setQuitOnLastWindowClosed(false);
    const ProgramFolders folders = CurrentProgramFolders();
    const auto translation = InstallTranslation(ChosenLanguage(options_.Language, folders.SettingsFile));
    // Declared first: the readings' sink outlives the window's session.
    std::optional<ShareSink> share;
    CCounterDisplayDlg dialog(folders.SettingsFile, folders.DefaultFont, folders.UserFontFolder,
                              folders.Installed);
    ShareReadings(share, dialog, folders.SettingsFile);
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
