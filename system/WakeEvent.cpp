#include "system/WakeEvent.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

UniqueFd NewEventFd()
{
    return UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
}

}  // namespace

SysResult<WakeEvent> WakeEvent::Create()
{
    UniqueFd fd = NewEventFd();
    if (!fd.Valid())
        return LastSysError();
    return WakeEvent(std::move(fd));
}

void WakeEvent::Signal()
{
    const uint64_t one = 1;
    // Stays readable until cleared; a stop is final, nobody clears it.
    [[maybe_unused]] const auto written = ::write(fd_.Get(), &one, sizeof one);
}

void WakeEvent::Clear()
{
    uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd_.Get(), &count, sizeof count);
}
