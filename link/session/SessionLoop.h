#pragma once

#include <chrono>
#include <functional>

// Where the owner's part of a counter session runs: closing the port when the
// adapter is pulled, adopting it when it is back, starting the next receive
// thread, the no-data watchdog. The window runs it on its event loop
// (QtSessionLoop), pelmora-log on a loop of its own main thread.
class SessionLoop {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SessionLoop() = default;

    // Any thread, never blocks: work runs on the owner thread soon, in the order
    // posted. Work still waiting when the loop goes is dropped with what it holds.
    virtual void Post(std::function<void()> work) = 0;

    // Owner thread: fire runs on the owner thread once the steady clock reaches
    // due. One alarm: arming again replaces it.
    virtual void ArmAlarm(Clock::time_point due, std::function<void()> fire) = 0;
    virtual void DisarmAlarm() = 0;
};
