#pragma once

#include <QTimer>
#include <functional>

// The window's watchdog: 5000 ms after its last restart without a record it
// stops itself and calls the window's handler, once per start. Lives on the
// window thread; other threads reach it through a queued invocation only.
class NoDataTimer {
public:
    static constexpr int kIntervalMs = 5000;

    explicit NoDataTimer(std::function<void()> onTimer);

    // Stop, then start from the full interval.
    void Restart();
    void Kill();
    bool IsActive() const { return timer_.isActive(); }

    // Test seam: a shorter interval; the program always runs with kIntervalMs.
    void SetIntervalForTest(int milliseconds) { timer_.setInterval(milliseconds); }

private:
    void Fire();

    QTimer timer_;
    std::function<void()> onTimer_;
};
