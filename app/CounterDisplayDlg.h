#pragma once

#include <chrono>
#include <memory>
#include <string>

#include <QEventLoop>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "app/PaintPacer.h"
#include "app/ShownPicture.h"
#include "display/Readout.h"
#include "display/FontLoader.h"
#include "res/MessageBox.h"
#include "settings/AppSettings.h"

class CounterLink;
class LogQueue;
class LogWriter;
class StatsWindow;

// The read-out window: frameless, sized by the font and zoom, painted from
// the back buffer. Every command arrives through OnCommand.
class CCounterDisplayDlg : public QWidget {
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

    void OnCommand(int id);

    // Context menu and its own commands (ContextMenu.cpp).
    void OnRButtonDown();
    void OnTopMost();
    void OnAbout();
    void OnLMeterShow();
    void OnLMeterSettings();
    void OnChangeFont();
    // Opens or closes the statistics window (ContextMenu.cpp).
    void OnStats();
    void OpenStats();
    bool IsStatsOpen() const;
    StatsWindow* Stats() { return stats_.get(); }
    // The statistics window opens when the read-out appears, whatever [Stats] says.
    void OpenStatsAtStart() { openStatsAtStart_ = true; }

    // Connect and disconnect (ConnectCommand.cpp).
    void OnConnect();
    void OnTimer();

    void OnExit();
    void OnMinimize();
    // A request to end from outside (SIGTERM, SIGINT, SIGHUP): ends as the exit does,
    // without the question and without saving the settings.
    void OnEndSignal();

    // Logs every accepted record into the CSV file at path from now on (LogCommand.cpp);
    // a file that cannot be opened is reported and nothing is logged.
    void StartLogging(const std::string& path);
    bool IsLogging() const { return logWriter_ != nullptr; }

    // Makes the client area width x height, keeping the top-left corner.
    void ResizeWindow(PixelSize size);

    Readout& ReadoutData() { return readout_; }
    AppSettings& Settings() { return settings_; }
    CounterLink& Link() { return *link_; }
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
    void PaintWhenDue();
    // The paint slot: takes the records, composes their lines, takes the
    // changes and repaints where they are.
    void PresentChanges();
    // Tells assistive technology what the read-out now shows (WindowAccessibility.cpp).
    void UpdateAccessibleReading();
    void PresentPacedChanges();
    // The next look at the records, told to the link so that they are read just before.
    void StartPaceTimer(std::chrono::milliseconds delay);
    // Composes, takes the changes and repaints where they are; returns whether anything changed.
    bool ShowChanges();
    void CentreOnScreen();
    // Ends the log and, when tell is set, reports a write error or dropped rows.
    void EndLogging(bool tell);

    std::string iniPath_;
    std::string defaultFontPath_;
    std::string userFontFolder_;
    bool tellUnsaved_;
    AppSettings settings_;  // window thread only; C1/C2 live in the readout while it runs
    Readout readout_;
    std::unique_ptr<CounterLink> link_;
    std::shared_ptr<LogQueue> logQueue_;
    std::unique_ptr<LogWriter> logWriter_;
    std::unique_ptr<StatsWindow> stats_;  // made when first opened
    bool openStatsAtStart_ = false;

    QEventLoop loop_;
    bool ended_ = false;
    DialogResult result_ = IDCANCEL;

    ShownPicture shown_;
    std::string accessibleReading_;  // the reading last told to assistive technology
    PaintPacer pacer_;
    QTimer paceTimer_;

    bool forceManualMove_ = false;
    bool manualMove_ = false;
    QPoint moveStartCursor_;
    QPoint moveStartWindow_;
};
