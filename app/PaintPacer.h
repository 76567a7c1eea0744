#pragma once

#include <chrono>

// Keeps paints at most one per frame interval: however many records arrive
// between two frames, the window is painted once.
class PaintPacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit PaintPacer(std::chrono::milliseconds frameInterval);

    // How long a paint asked for at now must wait; zero when it may run at once.
    std::chrono::milliseconds DelayBeforePaint(Clock::time_point now) const;
    void Painted(Clock::time_point now);

    std::chrono::milliseconds FrameInterval() const { return frameInterval_; }

private:
    std::chrono::milliseconds frameInterval_;
    Clock::time_point lastPaint_{};
    bool painted_ = false;
};

// The interval between paints for a display refresh rate in hertz (60 Hz
// where the rate is unknown or implausible), never shorter than 40 ms: at
// most 25 paints a second however fast records arrive.
std::chrono::milliseconds FrameIntervalFor(double refreshRate);
