#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "link/session/SessionLoop.h"
#include "system/WakeEvent.h"

// pelmora-log's main thread as the counter session's owner: one blocking wait
// on the wake event of posted work, the end signals' descriptor and the next
// deadline (the session's alarm, the status line, the duration).
class LoggerLoop : public SessionLoop {
public:
    // After each wake: the next time the caller wants to be woken; none when
    // only work or a signal should wake it.
    using Tick = std::function<std::optional<Clock::time_point>(Clock::time_point now)>;

    // endSignals: readable once an end signal came; the loop never reads it.
    LoggerLoop(int endSignals, WakeEvent wake);

    void Post(std::function<void()> work) override;
    void ArmAlarm(Clock::time_point due, std::function<void()> fire) override;
    void DisarmAlarm() override;

    // Runs posted work, the alarm and tick until Quit or an end signal.
    void Run(const Tick& tick);
    // Owner thread: Run returns once the work at hand is done.
    void Quit() { quit_ = true; }
    // Whether Run ended on an end signal.
    bool Signalled() const { return signalled_; }
    // Runs the work posted so far (after Run: what the threads posted while stopping).
    void RunPending();

private:
    void FireAlarmIfDue(Clock::time_point now);
    // Blocks until work, an end signal or until; false for an end signal.
    bool Wait(std::optional<Clock::time_point> until);

    int endSignals_;
    WakeEvent wake_;
    std::mutex mutex_;  // guards posted_
    std::vector<std::function<void()>> posted_;
    // Owner thread only.
    std::optional<Clock::time_point> alarmDue_;
    std::function<void()> alarm_;
    bool quit_ = false;
    bool signalled_ = false;
};
