#include "link/PortPoll.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>

namespace portpoll {

namespace {

constexpr short kTrouble = POLLHUP | POLLERR | POLLNVAL;

// One blocking poll on both. EINTR counts as "nothing yet" (interrupted true).
Event PollBoth(int portFd, int wakeFd, bool& interrupted)
{
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {portFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    interrupted = ready < 0 && errno == EINTR;
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
        event = PollBoth(portFd, wakeFd, interrupted);
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

}  // namespace portpoll
