#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <QObject>

#include "link/session/CounterSession.h"
#include "link/sinks/LogSink.h"
#include "link/window/NoDataTimer.h"
#include "link/window/QtSessionLoop.h"
#include "link/window/RecordPresenter.h"
#include "link/sinks/TapSink.h"

class Readout;
class RecordLog;

// The counter session as the main window sees it: the session (port, receive
// thread, following the adapter; CounterSession.h) on the window's event loop,
// with the read-out, the log and the statistics tap as its sinks, and the
// window's no-data watchdog. Owned by the main window and called on the window
// thread only; its signals come on that thread too.
class CounterLink : public QObject, private SessionSink {
    Q_OBJECT
public:
    // folders: where stable adapter names live (tests pass scratch folders).
    CounterLink(Readout& readout, std::string iniPath, NameFolders folders = {});
    ~CounterLink() override;
    CounterLink(const CounterLink&) = delete;
    CounterLink& operator=(const CounterLink&) = delete;

    // Connected, as the user chose: true from a successful Connect to the
    // Disconnect, also while the adapter is away and the port closed.
    bool IsOpen() const { return session_.IsConnected(); }
    // Connected, but the adapter is away and its return awaited.
    bool IsAwaitingDevice() const { return session_.IsAwaitingDevice(); }

    // Opens the port at the speed of baudIndex, starts the receive thread and
    // the watchdog. False when the port number is 0, the index is outside the
    // table, the port does not open or no thread can be had; the link then
    // stays disconnected.
    bool Connect(int portNumber, int baudIndex);
    // Why the last Connect returned false.
    const OpenFailure& LastConnectFailure() const { return failure_; }

    // Stops the receive thread, then closes the port. Work the thread had
    // queued for the window is dropped.
    void Disconnect();

    void KillNoDataTimer() { timer_.Kill(); }

    // Every accepted record from now on also goes to log (null: none), with the
    // read-out's C1/C2; the stamps count from here.
    void SetLog(std::shared_ptr<RecordLog> log);
    // The readings of the live connection for a view that opens it (TapSink.h).
    ReadingTap& Readings() { return tapSink_.Tap(); }

    // The window's half of the hand-off (RecordPresenter.h): it takes the
    // changes right after this, and a record that came after the watchdog
    // fired restarts it.
    void TakeRecords();
    bool HoldRecords() { return presenter_.HoldHandOff(); }
    // The window looks at the read-out by itself at when, and a frame later again
    // while it holds the records: the receive thread reads just before.
    void LookAt(std::chrono::steady_clock::time_point when, std::chrono::milliseconds frame)
    {
        presenter_.LookAt(when, frame);
    }

    std::string DevicePath(int portNumber) const { return session_.DevicePath(portNumber); }

    // Non-zero while a stop of the receive thread is under way: the window's
    // OnTimer neither composes nor invalidates then.
    const std::atomic<int32_t>& StopRequested() const { return session_.StopRequested(); }

    // Before the first Connect; the sink must outlive the link.
    void AddSink(SessionSink& sink) { session_.AddSink(sink); }
    const CounterSession& Session() const { return session_; }

    // Test seams.
    NoDataTimer& TimerForTest() { return timer_; }
    ReceiveThread& ThreadForTest() { return session_.ThreadForTest(); }
    // For adding a sink before the first Connect.
    CounterSession& SessionForTest() { return session_; }

signals:
    // Records of the live connection changed the read-out's lines (RecordPresenter.h).
    void RecordsWaiting();
    // The watchdog fired: no record for NoDataTimer::kIntervalMs.
    void NoDataTimerFired();
    // Once, when the adapter came back but never opens, or no thread can be had
    // to wait or receive: the link has disconnected by then.
    void GaveUp(const OpenFailure& why);

private:
    void OnEvent(SessionEvent event) override;
    void OnRecordsShown(uint64_t connection);

    // Declared first, destroyed last: the session's posts die with it, and
    // nothing runs them while the members after it go.
    QtSessionLoop loop_;
    OpenFailure failure_;
    NoDataTimer timer_;
    RecordPresenter presenter_;
    LogSink logSink_;
    TapSink tapSink_;
    // After its sinks: it goes first.
    CounterSession session_;
};
