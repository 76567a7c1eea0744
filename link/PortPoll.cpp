#include "link/PortPoll.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

#include "link/Tty.h"

namespace portpoll {

namespace {

using Clock = std::chrono::steady_clock;
constexpr short kTrouble = POLLHUP | POLLERR | POLLNVAL;

// poll on both; -1 timeout blocks. EINTR counts as "nothing yet".
Event PollBoth(int portFd, int wakeFd, int timeoutMs, bool& timedOut)
{
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {portFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeoutMs);
    timedOut = ready == 0 || (ready < 0 && errno == EINTR);
    if (fds[0].revents != 0)
        return Event::Woken;
    if ((fds[1].revents & POLLIN) != 0)
        return Event::Data;
    if ((fds[1].revents & kTrouble) != 0 || (ready < 0 && errno != EINTR))
        return Event::HungUp;
    return Event::Data;
}

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

}  // namespace

Event WaitForPort(int portFd, int wakeFd)
{
    bool timedOut = true;
    Event event = Event::Data;
    while (timedOut)
        event = PollBoth(portFd, wakeFd, -1, timedOut);
    return event;
}

void WaitForWake(int wakeFd)
{
    pollfd fd{wakeFd, POLLIN, 0};
    while (::poll(&fd, 1, -1) < 0 && errno == EINTR) {
    }
}

ReadResult ReadWithTimeouts(int portFd, int wakeFd, uint8_t* buffer, std::size_t size)
{
    ReadResult result;
    const auto total = std::chrono::milliseconds(kTotalPerByteMs * static_cast<long>(size) +
                                                 kTotalConstantMs);
    const auto end = Clock::now() + total;
    auto deadline = end;
    // The wait before the read has just seen data: read before polling again.
    bool pollFirst = false;
    while (result.Count < size) {
        if (pollFirst) {
            bool timedOut = false;
            const Event event = PollBoth(portFd, wakeFd, MillisecondsUntil(deadline), timedOut);
            if (event == Event::Woken || event == Event::HungUp) {
                result.Woken = event == Event::Woken;
                result.HungUp = event == Event::HungUp;
                return result;
            }
            if (timedOut) {
                if (Clock::now() >= deadline)
                    return result;
                continue;
            }
        }
        pollFirst = true;
        const long count = tty::ReadSome(portFd, buffer + result.Count, size - result.Count);
        if (count < 0) {
            result.HungUp = true;
            return result;
        }
        result.Count += static_cast<std::size_t>(count);
        if (count > 0)
            deadline = std::min(end, Clock::now() + std::chrono::milliseconds(kIntervalMs));
    }
    return result;
}

}  // namespace portpoll
