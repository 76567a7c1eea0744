#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "link/port/CSerialPort.h"
#include "link/replug/DeviceReturnWaiter.h"
#include "link/session/NoDataWatch.h"
#include "link/receive/ReceiveThread.h"
#include "link/receive/RecordAssembler.h"
#include "link/session/SessionSink.h"
#include "log/LogClock.h"

class SessionLoop;

// Which port to open: COM<n> as the settings file maps it, else a device path.
struct PortChoice {
    int32_t Number = 0;
    std::string Path;  // used when Number is 0
};

// One counter on its serial port, for the window and for pelmora-log: opens the
// port, receives on a thread of its own, assembles the records, stamps each
// record once and hands every read's records to its sinks; follows the adapter
// when it is pulled; stops. Called on the loop's owner thread only.
//
// Following the adapter: when the port hangs up or its device vanishes, the
// receive thread closes its duplicate and posts to the owner, which stops that
// thread and closes the port (the port's one owner), then waits for the same
// adapter on a waiter thread. That thread opens it when it is back, as the port
// opens it, and posts the open device to the owner, which sets its speed and
// starts a new receive thread. The session stays connected throughout; a device
// without an identity (a bare pseudo-terminal) is not waited for. When the wait
// cannot go on, the session stops and EndedBy says why.
class CounterSession : private RecordSink {
public:
    // folders: where stable adapter names live (tests pass scratch folders).
    CounterSession(SessionLoop& loop, std::string iniPath, NameFolders folders = {},
                   std::string lockFolder = "/var/lock");
    // Stops as Stop does, telling no sink.
    ~CounterSession() override;
    CounterSession(const CounterSession&) = delete;
    CounterSession& operator=(const CounterSession&) = delete;

    // While not connected; the sink must outlive the session.
    void AddSink(SessionSink& sink) { sinks_.push_back(&sink); }

    // Opens the port at bitRate and starts receiving and the watchdog: the
    // port's descriptor, or why it did not open (the session stays stopped).
    std::variant<int, OpenFailure> Connect(const PortChoice& port, uint32_t bitRate);

    // Stops the receive thread and any wait, closes the port and tells the sinks
    // End. Work the threads had posted is ignored when it comes.
    void Stop();

    // From a successful Connect to the Stop, also while the adapter is away.
    bool IsConnected() const { return connected_; }
    // Connected, but the adapter is away and its return awaited.
    bool IsAwaitingDevice() const { return connected_ && !port_.IsOpen(); }
    // A pulled adapter is waited for: it has an identity to come back by.
    bool FollowsAdapter() const { return waiter_ && waiter_->CanReturn(); }
    // The connection whose thread receives now; 0 while none does.
    uint64_t LiveConnection() const { return liveConnection_; }
    // Why the last End came: OpenRefusal::None when Stop was asked for.
    const OpenFailure& EndedBy() const { return endedBy_; }
    // The path the port was last opened by.
    const std::string& OpenedPath() const { return port_.OpenedPath(); }
    std::string DevicePath(int32_t portNumber) const { return port_.DevicePathFor(portNumber); }

    // The stamps count from now on. alongside (switching a log on) runs with no
    // read in between: every read is stamped and handed on wholly before or after.
    void RestartClock(const std::function<void()>& alongside = {});

    // Non-zero while a stop of the receive thread is under way.
    const std::atomic<int32_t>& StopRequested() const { return stopRequested_; }

    ReceiveThread& ThreadForTest() { return thread_; }

private:
    // The assembler's records, on the receive thread.
    void OnRecord(const char* record) override;
    void OnRecordAt(const char* record, Clock::time_point readable) override;
    void OnReadEnd() override;
    std::optional<Clock::time_point> WantedBy(Clock::time_point now) const override;

    SysStatus StartReceiving();
    void Halt();
    void OnPortLost(uint64_t connection);
    void AwaitDevice();
    void OnWaitEnded(Claimed claimed);
    void GiveUp(const OpenFailure& why);
    void Tell(SessionEvent event);

    SessionLoop& loop_;
    std::vector<SessionSink*> sinks_;  // added while stopped, then only read
    CSerialPort port_;
    std::atomic<int32_t> stopRequested_{0};  // shared with the receive thread; atomic
    RecordAssembler assembler_;
    ReceiveThread thread_;
    NoDataWatch watch_;
    // The receive thread of the moment only; the stop protocol hands it on.
    std::vector<Reading> batch_;
    // Guards clock_: the receive thread holds it while it stamps a read and hands
    // it on, the owner while it restarts the clock.
    std::mutex clockMutex_;
    LogClock clock_;
    uint64_t connections_ = 0;     // owner only: connections ever made
    uint64_t liveConnection_ = 0;  // owner only: 0 while no thread receives
    bool connected_ = false;       // owner only
    uint32_t bitRate_ = 0;         // owner only: the connection's speed
    OpenFailure endedBy_;          // owner only
    NameFolders folders_;          // set at construction, then only read
    std::unique_ptr<DeviceReturnWaiter> waiter_;  // owner only; its thread reports by posting
};
