#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/CSerialPort.h"
#include "link/DeviceReturnWaiter.h"
#include "link/NoDataTimer.h"
#include "link/ReceiveThread.h"
#include "link/RecordAssembler.h"
#include "link/RecordPresenter.h"

class Readout;

// The counter link as the main window sees it: port, receive thread, record
// assembler and no-data watchdog. Owned by the main window and called on the
// window thread only.
//
// Following the adapter: when the port hangs up or its device vanishes, the
// receive thread closes its duplicate and tells the window thread, which stops
// that thread and closes the port (the port's one owner), then waits for the
// same adapter on a waiter thread. That thread opens it when it is back, as
// the port opens it, and hands the open device to the window thread, which
// sets its speed and starts a new receive thread. The user stays connected
// throughout; a device without an identity (a bare pseudo-terminal) is not
// waited for. When the wait cannot go on, the link disconnects and says why.
class CounterLink {
public:
    // recordsWaiting is called on the window thread when records of the live
    // connection have changed the read-out's lines; the window then calls
    // TakeRecords and composes when it next paints. onNoDataTimer is the
    // window's OnTimer, called on the window thread when the watchdog fires.
    // folders: where stable adapter names live (tests pass scratch folders).
    CounterLink(Readout& readout, std::string iniPath,
                std::function<void()> recordsWaiting, std::function<void()> onNoDataTimer,
                NameFolders folders = {});
    ~CounterLink();
    CounterLink(const CounterLink&) = delete;
    CounterLink& operator=(const CounterLink&) = delete;

    // Connected, as the user chose: true from a successful Connect to the
    // Disconnect, also while the adapter is away and the port closed.
    bool IsOpen() const { return connected_; }
    // Connected, but the adapter is away and its return awaited.
    bool IsAwaitingDevice() const { return connected_ && !port_.IsOpen(); }

    // Opens the port at the speed of baudIndex, starts the receive thread and
    // the watchdog. False when the port number is 0, the index is outside the
    // table, the port does not open or no thread can be had; the link then
    // stays disconnected.
    bool Connect(int portNumber, int baudIndex);
    // Why the last Connect returned false.
    const OpenFailure& LastConnectFailure() const { return failure_; }

    // Called on the window thread, once, when the adapter came back but never
    // opens, or no thread can be had to wait or receive: the link has
    // disconnected by then.
    void SetGaveUpHandler(std::function<void(const OpenFailure& why)> gaveUp)
    {
        gaveUp_ = std::move(gaveUp);
    }

    // Stops the receive thread, then closes the port. Work the thread had
    // queued for the window is dropped.
    void Disconnect();

    void KillNoDataTimer() { timer_.Kill(); }

    // Every accepted record from now on also goes to log (null: none).
    void SetLog(std::shared_ptr<RecordLog> log) { presenter_.SetLog(std::move(log)); }
    // The readings of the live connection for a view that opens it (RecordPresenter.h).
    ReadingTap& Readings() { return presenter_.Tap(); }

    // The window takes the records' changes (the readout's dirty area) right
    // after this: the next record is handed off again, and a record that came
    // after the watchdog fired restarts it.
    void TakeRecords();

    // Records call recordsWaiting no more until the next TakeRecords: the
    // window looks again by itself at its next frame. Returns whether a
    // record changed the read-out since the last TakeRecords or HoldRecords.
    bool HoldRecords() { return presenter_.HoldHandOff(); }

    std::string DevicePath(int portNumber) const { return port_.DevicePathFor(portNumber); }

    // Non-zero while a stop of the receive thread is under way: the window's
    // OnTimer neither composes nor invalidates then.
    const std::atomic<int32_t>& StopRequested() const { return stopRequested_; }

    // Test seams.
    NoDataTimer& TimerForTest() { return timer_; }
    ReceiveThread& ThreadForTest() { return thread_; }

private:
    void PostToWindow(uint64_t connection);
    void OnRecordsShown(uint64_t connection);
    bool StartReceiving();
    void OnPortLost(uint64_t connection);
    void AwaitDevice();
    void OnWaitEnded(DeviceClaim claim);
    void GiveUp(const OpenFailure& why);

    std::function<void()> recordsWaiting_;
    CSerialPort port_;
    OpenFailure failure_;
    std::atomic<int32_t> stopRequested_{0};  // shared with the receive thread; atomic
    NoDataTimer timer_;
    RecordPresenter presenter_;
    RecordAssembler assembler_;
    ReceiveThread thread_;
    uint64_t connections_ = 0;       // window thread only: connections ever made
    uint64_t liveConnection_ = 0;    // window thread only: 0 while no thread receives
    bool connected_ = false;         // window thread only: the user's state
    uint32_t bitRate_ = 0;           // window thread only: the connection's speed
    NameFolders folders_;            // set at construction, then only read
    std::function<void(const OpenFailure&)> gaveUp_;  // window thread only
    std::unique_ptr<DeviceReturnWaiter> waiter_;  // window thread only; its thread reports by posting
    // Declared last, destroyed first: its pending hand-offs die with it.
    std::unique_ptr<QObject> windowContext_;
};
