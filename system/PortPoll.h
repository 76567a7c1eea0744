#pragma once

#include <chrono>

// Waiting on the port with a wake-up descriptor beside it.
namespace portpoll {

enum class Event { Data, Woken, HungUp, TimedOut };

// Blocks until the port has data, reports a hang-up or error, or wake becomes
// readable. Woken wins over the others. A negative portFd is not looked at.
Event WaitForPort(int portFd, int wakeFd);

// The same, giving up after timeout with TimedOut.
Event WaitForPort(int portFd, int wakeFd, std::chrono::milliseconds timeout);

// Blocks until wake becomes readable; the port is no longer looked at.
void WaitForWake(int wakeFd);

// Blocks until wake becomes readable (true) or the steady clock reaches until (false).
bool WaitForWakeUntil(int wakeFd, std::chrono::steady_clock::time_point until);

// True when fd is readable at this moment; for a wake descriptor that may
// already have been signalled.
bool ReadableNow(int fd);

}  // namespace portpoll
