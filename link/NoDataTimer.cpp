#include "link/NoDataTimer.h"

NoDataTimer::NoDataTimer(std::function<void()> onTimer) : onTimer_(std::move(onTimer))
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void NoDataTimer::Restart()
{
    timer_.stop();
    timer_.start();
}

void NoDataTimer::Kill()
{
    timer_.stop();
}

void NoDataTimer::Fire()
{
    timer_.stop();
    if (onTimer_)
        onTimer_();
}
