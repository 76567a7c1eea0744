#include "link/session/NoDataWatch.h"

#include "link/session/SessionLoop.h"

NoDataWatch::NoDataWatch(SessionLoop& loop, std::function<void()> report)
    : loop_(loop), report_(std::move(report))
{
}

void NoDataWatch::Start()
{
    lastRecord_.store(Clock::now().time_since_epoch().count());
    reported_.store(false);
    running_ = true;
    Arm();
}

void NoDataWatch::Stop()
{
    running_ = false;
    reported_.store(false);
    loop_.DisarmAlarm();
}

void NoDataWatch::NoteRecords()
{
    lastRecord_.store(Clock::now().time_since_epoch().count());
    if (reported_.load() && reported_.exchange(false))
        loop_.Post([this] {
            if (running_)
                Arm();
        });
}

NoDataWatch::Clock::time_point NoDataWatch::LastRecord() const
{
    return Clock::time_point(Clock::duration(lastRecord_.load()));
}

void NoDataWatch::Arm()
{
    loop_.ArmAlarm(LastRecord() + kInterval, [this] { Due(); });
}

void NoDataWatch::Due()
{
    if (!running_)
        return;
    // Marked before the last look, so a record that comes meanwhile either shows
    // here or takes the mark back and re-arms.
    reported_.store(true);
    if (Clock::now() - LastRecord() < kInterval) {
        if (reported_.exchange(false))
            Arm();
        return;
    }
    if (report_)
        report_();
}
