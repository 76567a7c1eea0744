#pragma once

#include <memory>
#include <string>

#include <QEventLoop>
#include <QPoint>
#include <QWidget>

#include "display/Readout.h"
#include "display/FontLoader.h"
#include "res/MessageBox.h"
#include "settings/AppSettings.h"

class CounterConnection;
class CounterLink;
class LogSession;
class ReadoutPresenter;
class StatsWindow;

// The read-out window: frameless, sized by the font and zoom, painted from
// the back buffer. Every command arrives through OnCommand. Its parts, which
// it connects in its constructor: the connection (CounterConnection, owning
// the counter link and its session), the log (LogSession) and what it shows
// and tells (ReadoutPresenter).
class CCounterDisplayDlg : public QWidget {
    Q_OBJECT
public:
    // iniPath: the settings file (none when empty); defaultFontPath: the font used
    // when the configured one cannot be read; userFontFolder: more fonts to offer
    // beside the default font's folder (none when empty); tellUnsaved: settings that
    // cannot be saved at the exit are reported (the installed program's, kept in the
    // user's folder), else they are lost without a word.
    CCounterDisplayDlg(std::string iniPath, std::string defaultFontPath,
                       std::string userFontFolder = {}, bool tellUnsaved = false);
    ~CCounterDisplayDlg() override;

    // Initialises, shows the window centred and runs until it ends; returns
    // IDOK or IDCANCEL. The window never appears when the font load failed.
    DialogResult DoModal();
    // Initialises and shows the window centred; false when it ended during
    // initialisation (the font could not be loaded) and never appeared.
    bool Start();
    bool OnInitDialog();
    // Ends the window: it hides and DoModal returns result.
    void EndDialog(DialogResult result);
    bool HasEnded() const { return ended_; }

public slots:
    void OnCommand(int id);

public:
    // Shows the context menu; a chosen command arrives through OnCommand once the menu is gone.
    void OnRButtonDown();
    void OnTopMost();
    void OnAbout();
    void OnLMeterShow();
    void OnLMeterSettings();
    void OnChangeFont();
    // Opens or closes the statistics window.
    void OnStats();
    void OpenStats();
    bool IsStatsOpen() const;
    StatsWindow* Stats() { return stats_.get(); }
    // The statistics window opens when the read-out appears, whatever [Stats] says.
    void OpenStatsAtStart() { openStatsAtStart_ = true; }

    void OnConnect();
    void OnTimer();

    void OnExit();
    void OnMinimize();
    // A request to end from outside (SIGTERM, SIGINT, SIGHUP): ends as the exit does,
    // without the question and without saving the settings.
    void OnEndSignal();

    // Logs every accepted record into the CSV file at path from now on (LogSession.h).
    void StartLogging(const std::string& path);
    bool IsLogging() const;

    // Makes the client area width x height, keeping the top-left corner.
    void ResizeWindow(PixelSize size);

    Readout& ReadoutData() { return readout_; }
    AppSettings& Settings() { return settings_; }
    CounterLink& Link();
    const std::string& IniPath() const { return iniPath_; }
    // Test seam: move the window by hand as where the window system refuses
    // to move it.
    void ForceManualMove(bool force) { forceManualMove_ = force; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnLButtonDown(const QPoint& globalPos);
    // Loads the configured font and resizes to it; when no font can be read,
    // tells the user and ends the window without saving.
    void LoadFontAndResize();
    // Asks the exit question and, unless answered No, ends the session and saves
    // the settings. Returns whether the window is to end.
    bool ExitSequence();
    // Hides the window, stops receiving, writes and syncs what the log holds and
    // lets go of the port and its lock.
    void EndSession(bool tellLogEnd);
    // Saves the settings; tells the user when they could not be (tellUnsaved_).
    void SaveAtExit();
    void SetStaysOnTop(bool onTop);
    // The read-out was composed anew: repaints it and tells assistive technology.
    void ShowComposed();
    void CentreOnScreen();

    std::string iniPath_;
    std::string defaultFontPath_;
    std::string userFontFolder_;
    bool tellUnsaved_;
    AppSettings settings_;  // window thread only; C1/C2 live in the readout while it runs
    Readout readout_;
    std::unique_ptr<CounterConnection> connection_;
    std::unique_ptr<LogSession> log_;
    std::unique_ptr<ReadoutPresenter> presenter_;
    std::unique_ptr<StatsWindow> stats_;  // made when first opened
    bool openStatsAtStart_ = false;

    QEventLoop loop_;
    bool ended_ = false;
    DialogResult result_ = IDCANCEL;

    bool forceManualMove_ = false;
    bool manualMove_ = false;
    QPoint moveStartCursor_;
    QPoint moveStartWindow_;
};
