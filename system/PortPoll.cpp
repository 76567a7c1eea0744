#include "system/PortPoll.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>

namespace portpoll {

namespace {

constexpr short kTrouble = POLLHUP | POLLERR | POLLNVAL;
using Clock = std::chrono::steady_clock;

// One blocking poll on both, for at most timeoutMs (-1: no limit). EINTR
// counts as "nothing yet" (interrupted true).
Event PollBoth(int portFd, int wakeFd, int timeoutMs, bool& interrupted)
{
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {portFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeoutMs);
    interrupted = ready < 0 && errno == EINTR;
    if (ready == 0)
        return Event::TimedOut;
    if (fds[0].revents != 0)
        return Event::Woken;
    if ((fds[1].revents & POLLIN) != 0)
        return Event::Data;
    if ((fds[1].revents & kTrouble) != 0 || (ready < 0 && !interrupted))
        return Event::HungUp;
    return Event::Data;
}

}  // namespace

Event WaitForPort(int portFd, int wakeFd)
{
    bool interrupted = true;
    Event event = Event::Data;
    while (interrupted)
        event = PollBoth(portFd, wakeFd, -1, interrupted);
    return event;
}

Event WaitForPort(int portFd, int wakeFd, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    bool interrupted = true;
    Event event = Event::TimedOut;
    while (interrupted) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        event = PollBoth(portFd, wakeFd, static_cast<int>(std::max<long long>(left.count(), 0)), interrupted);
    }
    return event;
}

bool WaitForWakeUntil(int wakeFd, std::chrono::steady_clock::time_point until)
{
    pollfd fd{wakeFd, POLLIN, 0};
    for (;;) {
        const auto left = std::max(until - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration::zero());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec timeout{static_cast<time_t>(seconds.count()),
                               static_cast<long>((left - seconds) / std::chrono::nanoseconds(1))};
        const int ready = ::ppoll(&fd, 1, &timeout, nullptr);
        if (ready >= 0)
            return ready > 0;
        if (errno != EINTR)
            return false;
    }
}

void WaitForWake(int wakeFd)
{
    pollfd fd{wakeFd, POLLIN, 0};
    while (::poll(&fd, 1, -1) < 0 && errno == EINTR) {
    }
}

bool ReadableNow(int fd)
{
    pollfd check{fd, POLLIN, 0};
    return ::poll(&check, 1, 0) > 0 && (check.revents & POLLIN) != 0;
}

}  // namespace portpoll
