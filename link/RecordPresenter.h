#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "link/RecordSink.h"

class NoDataTimer;
class Readout;
class RecordLog;

// The program's record sink, on the receive thread: shows each record under
// the readout lock, notes its time for the watchdog and, unless a hand-off is
// already open, hands "records wait" to the window thread, tagged with the
// connection it came from. Records that come while a hand-off is open cost the
// window thread nothing; it re-opens the hand-off when it takes the changes.
// Never waits for the window thread.
class RecordPresenter : public RecordSink {
public:
    // post(connection) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection)>;

    RecordPresenter(Readout& readout, const std::atomic<int32_t>& stopRequested, NoDataTimer& watchdog, Post post);

    // Window thread, while no receive thread runs: the number of the
    // connection whose thread feeds from now on; no hand-off is open then.
    void SetConnection(uint64_t connection);

    // Window thread: the changes posted so far are taken; the next record posts again.
    void ReopenHandOff() { handOffOpen_.store(false); }

    // Window thread: every record from now on also goes to log, with the read-out's
    // C1/C2; null ends that.
    void SetLog(std::shared_ptr<RecordLog> log);

    void OnRecord(const char* record) override;

private:
    std::shared_ptr<RecordLog> CurrentLog();

    Readout& readout_;
    const std::atomic<int32_t>& stopRequested_;
    NoDataTimer& watchdog_;
    Post post_;
    // Written by the window thread before a receive thread starts, read by it.
    std::atomic<uint64_t> connection_{0};
    // Set by the receive thread when it posts, cleared by the window thread; atomic exchange.
    std::atomic<bool> handOffOpen_{false};
    std::mutex logMutex_;  // guards log_
    std::shared_ptr<RecordLog> log_;
};
