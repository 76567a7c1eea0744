#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QMenu>
#include <QString>
#include <QTemporaryDir>

#include "app/CounterDisplayDlg.h"

// Answers the program's message boxes and remembers what they said.
class MessageBoxRecorder {
public:
    struct Box {
        QString Text;
        MessageBoxType Type = MB_OK;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();

    // The answers, in order; IDOK (or IDYES for yes/no boxes) once they run out.
    void Answer(std::vector<DialogResult> answers);
    const std::vector<Box>& Boxes() const { return boxes_; }
    std::vector<QString> Texts() const;

private:
    std::vector<Box> boxes_;
    std::deque<DialogResult> answers_;
};

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

// Waits, processing events, until predicate holds or timeoutMs passes.
template <class Predicate>
bool WaitFor(Predicate predicate, int timeoutMs = 10000);

#include <QTest>

template <class Predicate>
bool WaitFor(Predicate predicate, int timeoutMs)
{
    return QTest::qWaitFor(predicate, timeoutMs);
}
