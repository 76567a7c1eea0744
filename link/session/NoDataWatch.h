#pragma once

#include <atomic>
#include <chrono>
#include <functional>

class SessionLoop;

// A counter session's watchdog: reports once when no record came for kInterval,
// then stays quiet until records come again. Records do not re-arm it one by
// one: the receive thread only notes the time of each read, and the alarm, when
// due, re-arms itself for what is left of the interval after the last one.
// Start, Stop and the report run on the loop's owner thread.
class NoDataWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{5000};

    NoDataWatch(SessionLoop& loop, std::function<void()> report);

    // Counts the interval from now.
    void Start();
    void Stop();

    // Receive thread: records came now.
    void NoteRecords();

private:
    void Arm();
    void Due();
    Clock::time_point LastRecord() const;

    SessionLoop& loop_;
    std::function<void()> report_;
    // Written by the receive thread, read by the owner; atomic.
    std::atomic<Clock::rep> lastRecord_{0};
    // Set by the owner when it reported; the first records after it take it
    // back and have the owner arm the alarm again. Atomic.
    std::atomic<bool> reported_{false};
    bool running_ = false;  // owner thread only
};
