#include "tools/logger/LoggerLoop.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "system/DescriptorWait.h"

LoggerLoop::LoggerLoop(int endSignals, WakeEvent wake) : endSignals_(endSignals), wake_(std::move(wake)) {}

void LoggerLoop::Post(std::function<void()> work)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(std::move(work));
    }
    wake_.Signal();
}

void LoggerLoop::ArmAlarm(Clock::time_point due, std::function<void()> fire)
{
    alarmDue_ = due;
    alarm_ = std::move(fire);
}

void LoggerLoop::DisarmAlarm()
{
    alarmDue_.reset();
}

void LoggerLoop::Run(const Tick& tick)
{
    quit_ = false;
    while (!quit_) {
        RunPending();
        const auto now = Clock::now();
        FireAlarmIfDue(now);
        if (quit_)
            break;
        std::optional<Clock::time_point> until = tick(now);
        if (quit_)
            break;
        if (alarmDue_ && (!until || *alarmDue_ < *until))
            until = alarmDue_;
        if (!Wait(until)) {
            signalled_ = true;
            return;
        }
    }
}

void LoggerLoop::RunPending()
{
    // Cleared first: work posted from here on signals again.
    wake_.Clear();
    std::vector<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work.swap(posted_);
    }
    for (const auto& item : work)
        item();
}

void LoggerLoop::FireAlarmIfDue(Clock::time_point now)
{
    if (!alarmDue_ || now < *alarmDue_)
        return;
    alarmDue_.reset();
    // The alarm may arm itself again.
    const auto fire = std::move(alarm_);
    if (fire)
        fire();
}

bool LoggerLoop::Wait(std::optional<Clock::time_point> until)
{
    int timeout = -1;
    if (until) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now());
        timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, 24 * 3600 * 1000));
    }
    std::array<Watched, 2> watched{{{.fd = wake_.Descriptor(), .read = true}, {.fd = endSignals_, .read = true}}};
    if (const SysResult<int> ready = WaitForDescriptors(watched, timeout); !ready && ready.Error().Code != EINTR)
        return true;
    return !watched[1].stirred;
}
