#pragma once

#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>

// The window's watchdog: once started it calls the window's handler when no
// record was accepted for kIntervalMs, then stays stopped, so it fires once
// per start. Records do not restart it one by one: the receive thread only
// notes the time of each, and the timer, when due, re-arms itself for what is
// left of the interval after the last one. Lives on the window thread.
class NoDataTimer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kIntervalMs = 5000;

    explicit NoDataTimer(std::function<void()> onTimer);

    // Any thread: a record was accepted now.
    void NoteRecord() { lastRecord_.store(Clock::now().time_since_epoch().count()); }

    // Counts the interval from now, as if a record had just come.
    void Restart();
    void Kill();
    // After it fired: starts it again, counting from the last record, when a
    // record came since. Returns whether it did. The owner calls it only
    // while connected.
    bool RestartIfRecordSinceFiring();
    bool IsActive() const { return timer_.isActive(); }

    // Test seam: a shorter interval; the program always runs with kIntervalMs.
    void SetIntervalForTest(int milliseconds) { interval_ = std::chrono::milliseconds(milliseconds); }

private:
    void Fire();
    void ArmUntilDue(Clock::rep lastRecord);

    QTimer timer_;
    std::function<void()> onTimer_;
    std::chrono::milliseconds interval_{kIntervalMs};
    // Written by any thread through NoteRecord, read on the window thread; atomic.
    std::atomic<Clock::rep> lastRecord_{0};
    bool fired_ = false;            // window thread only: fired since the last start
    Clock::rep firedOnRecord_ = 0;  // window thread only: the last record the firing saw
};
