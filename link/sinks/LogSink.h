#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "link/session/SessionSink.h"
#include "link/sinks/RecordRow.h"

class RecordLog;

// A log as a session's sink: while one is set, each read's records become rows
// with the session's stamps and go into the log's queue together. Switched on
// and off while records come; the receive thread looks at one flag per read
// while none is set, and takes the log's lock once per read while one is.
class LogSink : public SessionSink {
public:
    // Asked once per read while a log is set, on the receive thread: C1 and C2
    // for the inductance column; none leaves it empty.
    using Capacitors = std::function<std::optional<LogCapacitors>()>;

    explicit LogSink(Capacitors capacitors = {});

    // Any thread: every read from now on goes to log; null ends that. Returns
    // once a read under way has gone to the log set before.
    void Set(std::shared_ptr<RecordLog> log);
    bool IsSet() const { return set_.load(std::memory_order_acquire); }

    void OnRecords(std::span<const Reading> readings) override;

private:
    Capacitors capacitors_;
    std::atomic<bool> set_{false};  // written under mutex_, read without it as a hint
    std::mutex mutex_;              // guards log_ and its use
    std::shared_ptr<RecordLog> log_;
};
