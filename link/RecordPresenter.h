#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "link/ReadingTap.h"
#include "link/RecordSink.h"
#include "log/LogClock.h"

class NoDataTimer;
class Readout;
class RecordLog;

// The program's record sink, on the receive thread: writes each record's
// lines into the read-out under the readout lock and notes its time for the
// watchdog. After each read, when the lines differ from what the window last
// composed and no hand-off is pending or held, it hands "records wait" to the
// window thread, tagged with the connection it came from. The window composes the
// lines when it takes the changes, so records that come between two paints
// are never drawn. Records that change nothing visible, or come while a
// hand-off is pending or held, cost the window thread nothing; it re-opens the
// hand-off when it takes the changes. Never waits for the window thread.
// While the tap is open (the statistics window looks), each record's reading also
// goes into it, with the stamp its log row gets; the window takes them a few times a
// second (ReadingTap.h).
class RecordPresenter : public RecordSink {
public:
    // post(connection) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection)>;

    RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post);

    // Window thread, while no receive thread runs: the number of the
    // connection whose thread feeds from now on; no hand-off is open then.
    void SetConnection(uint64_t connection);

    // Window thread: the changes posted so far are taken; the next record posts again.
    void ReopenHandOff() { handOff_.store(HandOff::Idle); }
    // Window thread: records post nothing until the next ReopenHandOff.
    // Returns whether a record changed the lines since the last reopen or hold.
    bool HoldHandOff() { return handOff_.exchange(HandOff::Held) == HandOff::Pending; }

    // Window thread: every record from now on also goes to log, with the read-out's
    // C1/C2; null ends that.
    void SetLog(std::shared_ptr<RecordLog> log);

    // While open, every record's reading also goes to the tap, stamped as its log row
    // is when a log runs, else by the presenter's own clock.
    ReadingTap& Tap() { return tap_; }
    // Window thread, before the receive thread of a new connection starts: the own
    // clock counts from now.
    void RestartClock() { clock_.Restart(); }

    void OnRecord(const char* record) override;
    // A logged record is stamped with readable, when its last byte became readable.
    void OnRecordAt(const char* record, Clock::time_point readable) override;
    void OnReadEnd() override;

private:
    std::shared_ptr<RecordLog> CurrentLog();
    void TapRecord(const char* record, const LogTime& time, bool inductanceShown,
                   const LogCapacitors& capacitors);

    Readout& readout_;
    NoDataTimer& watchdog_;
    Post post_;
    // Written by the window thread before a receive thread starts, read by it.
    std::atomic<uint64_t> connection_{0};
    // Idle: no change since the window looked; the next one posts. Pending:
    // a record changed the lines since. Held: the window looks by itself, no change since.
    // Records exchange in Pending, the window stores Idle or exchanges in Held.
    enum class HandOff { Idle, Pending, Held };
    std::atomic<HandOff> handOff_{HandOff::Idle};
    bool recordsInRead_ = false;  // the receive thread of the moment only
    std::mutex logMutex_;  // guards log_
    std::shared_ptr<RecordLog> log_;
    ReadingTap tap_;  // guards itself
    // Stamps on the receive thread; restarted by the window thread while none runs.
    LogClock clock_;
};
