#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QImage>
#include <QMenu>
#include <QString>
#include <QTemporaryDir>

#include "app/CounterDisplayDlg.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Modal.h"
#include "tests/support/Wait.h"
#include "tools/simulator/CounterPty.h"

// The program's default font, built beside the program.
std::string DefaultFontPath();

// A main window on a settings file of its own in a fresh folder, registered
// as the main window and shown (not yet running its own loop).
class WindowUnderTest {
public:
    explicit WindowUnderTest(const std::string& iniContent = {},
                             const std::string& defaultFontPath = DefaultFontPath());
    ~WindowUnderTest();

    CCounterDisplayDlg& Window() { return *window_; }
    CCounterDisplayDlg* operator->() { return window_.get(); }
    std::string IniPath() const;
    std::string ReadIni() const;
    // Starts the window as DoModal does before its loop; false when it ended.
    bool Start();

private:
    QTemporaryDir folder_;
    std::unique_ptr<CCounterDisplayDlg> window_;
};

// The window's picture as painted.
QImage GrabWindow(CCounterDisplayDlg& window);

// The font's cell for code, every pixel repeated scale times, as RGB32.
QImage FontCell(const QImage& font, int cellWidth, int cellHeight, char code, int scale);

// The window's pixels where the frequency line's position (0-10, drawn at
// double size) stands, at the window's zoom.
QImage FrequencyDigitArea(CCounterDisplayDlg& window, int position);

// Runs check on the next popup menu once it is open (while the menu's own
// loop runs); check must close the menu.
void OnNextPopup(std::function<void(QMenu&)> check);

// Sends a right-button press to the window, as the window system would.
void RightPress(CCounterDisplayDlg& window);

// Opens the port dialog through ID_CONNECT and presses OK on what it shows.
void ConnectWithDialogDefaults(CCounterDisplayDlg& window);

// A [Port] section that maps COM<port> to tty and chooses it at 9600 baud.
std::string IniMapping(const CounterPty& tty, int port);
