#include "link/window/NoDataTimer.h"

NoDataTimer::NoDataTimer(std::function<void()> onTimer) : onTimer_(std::move(onTimer))
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void NoDataTimer::Restart()
{
    timer_.stop();
    NoteRecord();
    fired_ = false;
    timer_.start(interval_);
}

void NoDataTimer::Kill()
{
    timer_.stop();
}

bool NoDataTimer::RestartIfRecordSinceFiring()
{
    const Clock::rep last = lastRecord_.load();
    if (!fired_ || last == firedOnRecord_)
        return false;
    fired_ = false;
    ArmUntilDue(last);
    return true;
}

void NoDataTimer::Fire()
{
    const Clock::rep last = lastRecord_.load();
    const auto quiet = Clock::now() - Clock::time_point(Clock::duration(last));
    if (quiet < interval_) {
        ArmUntilDue(last);
        return;
    }
    fired_ = true;
    firedOnRecord_ = last;
    if (onTimer_)
        onTimer_();
}

void NoDataTimer::ArmUntilDue(Clock::rep lastRecord)
{
    const auto due = Clock::time_point(Clock::duration(lastRecord)) + interval_;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
    timer_.start(std::max(left, std::chrono::milliseconds::zero()));
}
