#pragma once

#include <memory>
#include <string>

#include <QEventLoop>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "app/PaintPacer.h"
#include "app/ShownPicture.h"
#include "display/Readout.h"
#include "display/Renderer.h"
#include "settings/AppSettings.h"

class CounterLink;

// The read-out window: frameless, sized by the font and zoom, painted from
// the back buffer. Every command arrives through OnCommand.
class CCounterDisplayDlg : public QWidget, public ReadoutWindow {
public:
    // iniPath: the settings file; defaultFontPath: the font used when the
    // configured one cannot be read.
    CCounterDisplayDlg(std::string iniPath, std::string defaultFontPath);
    ~CCounterDisplayDlg() override;

    // Initialises, shows the window centred and runs until it ends; returns
    // IDOK or IDCANCEL. The window never appears when the font load failed.
    int DoModal();
    // Initialises and shows the window centred; false when it ended during
    // initialisation (the font could not be loaded) and never appeared.
    bool Start();
    bool OnInitDialog();
    // Ends the window: it hides and DoModal returns result.
    void EndDialog(int result);
    bool HasEnded() const { return ended_; }

    void OnCommand(int id);

    // Context menu and its own commands (ContextMenu.cpp).
    void OnRButtonDown();
    void OnTopMost();
    void OnAbout();
    void OnLMeterShow();
    void OnLMeterSettings();
    void OnChangeFont();

    // Connect and disconnect (ConnectCommand.cpp).
    void OnConnect();
    void OnTimer();

    void OnExit();
    void OnMinimize();

    // ReadoutWindow
    void ResizeWindow(PixelSize size) override;
    void FailFontLoad(const std::string& message) override;

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
    // Asks the exit question and, unless answered No, stops the link and saves
    // the settings. Returns whether the window is to end.
    bool ExitSequence();
    void SetStaysOnTop(bool onTop);
    void PaintWhenDue();
    // The paint slot: takes the records, composes their lines, takes the
    // changes and repaints where they are.
    void PresentChanges();
    void PresentPacedChanges();
    // Composes, takes the changes and repaints where they are.
    void ShowChanges();
    void CentreOnScreen();

    std::string iniPath_;
    std::string defaultFontPath_;
    AppSettings settings_;  // window thread; C1/C2 also under the readout lock
    Readout readout_;
    std::unique_ptr<CounterLink> link_;

    QEventLoop loop_;
    bool ended_ = false;
    int result_ = 0;

    ShownPicture shown_;
    PaintPacer pacer_;
    QTimer paceTimer_;

    bool forceManualMove_ = false;
    bool manualMove_ = false;
    QPoint moveStartCursor_;
    QPoint moveStartWindow_;
};
