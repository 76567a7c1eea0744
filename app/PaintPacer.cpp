#include "app/PaintPacer.h"

#include <algorithm>
#include <cmath>

PaintPacer::PaintPacer(std::chrono::milliseconds frameInterval) : frameInterval_(frameInterval) {}

std::chrono::milliseconds PaintPacer::DelayBeforePaint(Clock::time_point now) const
{
    if (!painted_)
        return std::chrono::milliseconds::zero();
    const auto due = lastPaint_ + frameInterval_;
    if (now >= due)
        return std::chrono::milliseconds::zero();
    return std::chrono::ceil<std::chrono::milliseconds>(due - now);
}

void PaintPacer::Painted(Clock::time_point now)
{
    lastPaint_ = now;
    painted_ = true;
}

std::chrono::milliseconds FrameIntervalFor(double refreshRate)
{
    constexpr double kFallbackRate = 60.0;
    // Digits changing faster than this cannot be read; painting them costs CPU.
    constexpr std::chrono::milliseconds kReadableInterval{40};
    const double rate =
        std::isfinite(refreshRate) && refreshRate >= 1.0 && refreshRate <= 1000.0 ? refreshRate
                                                                                   : kFallbackRate;
    const std::chrono::milliseconds frame(static_cast<int>(std::ceil(1000.0 / rate)));
    return std::max(frame, kReadableInterval);
}
