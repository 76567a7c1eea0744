#include "system/DescriptorWait.h"

#include <poll.h>
#include <vector>

SysResult<int> WaitForDescriptors(std::span<Watched> watched, int timeoutMs)
{
    std::vector<pollfd> polled;
    polled.reserve(watched.size());
    for (Watched& item : watched) {
        item.readable = item.writable = item.hungUp = item.stirred = false;
        const short events = static_cast<short>((item.read ? POLLIN : 0) | (item.write ? POLLOUT : 0));
        polled.push_back({item.fd, events, 0});
    }
    const int ready = ::poll(polled.data(), polled.size(), timeoutMs);
    if (ready < 0)
        return LastSysError();
    for (size_t i = 0; i < watched.size(); ++i) {
        const short got = polled[i].revents;
        watched[i].readable = (got & POLLIN) != 0;
        watched[i].writable = (got & POLLOUT) != 0;
        watched[i].hungUp = (got & (POLLHUP | POLLERR)) != 0;
        watched[i].stirred = got != 0;
    }
    return ready;
}
