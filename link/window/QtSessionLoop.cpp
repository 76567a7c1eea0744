#include "link/window/QtSessionLoop.h"

#include <algorithm>

QtSessionLoop::QtSessionLoop() : context_(std::make_unique<QObject>())
{
    alarm_.setTimerType(Qt::PreciseTimer);
    alarm_.setSingleShot(true);
    QObject::connect(&alarm_, &QTimer::timeout, [this] {
        if (fire_)
            fire_();
    });
}

QtSessionLoop::~QtSessionLoop()
{
    alarm_.stop();
    context_.reset();
}

void QtSessionLoop::Post(std::function<void()> work)
{
    QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
}

void QtSessionLoop::ArmAlarm(Clock::time_point due, std::function<void()> fire)
{
    fire_ = std::move(fire);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
    alarm_.start(std::max(left, std::chrono::milliseconds::zero()));
}

void QtSessionLoop::DisarmAlarm()
{
    alarm_.stop();
}
