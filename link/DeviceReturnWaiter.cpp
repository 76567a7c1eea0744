#include "link/DeviceReturnWaiter.h"

#include <fcntl.h>
#include <pthread.h>

#include <cerrno>

#include "link/WakeEvent.h"
#include "settings/UniqueFd.h"

namespace {

// Whether the node can be opened as the port opens it; the descriptor is let
// go at once (the wait closes what it gets back).
int ProbeOpen(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

}  // namespace

DeviceReturnWaiter::DeviceReturnWaiter(ReopenTarget target, Returned returned)
    : watch_(std::move(target), ProbeOpen), returned_(std::move(returned))
{
}

DeviceReturnWaiter::~DeviceReturnWaiter()
{
    Stop();
}

void DeviceReturnWaiter::Start()
{
    Stop();
    wake_ = std::make_unique<WakeEvent>();
    thread_ = std::thread(&DeviceReturnWaiter::Run, this);
    pthread_setname_np(thread_.native_handle(), "pelmora-replug");
}

void DeviceReturnWaiter::Stop()
{
    if (!thread_.joinable())
        return;
    wake_->Signal();
    thread_.join();
}

void DeviceReturnWaiter::Run()
{
    const DeviceReturn back = watch_.Wait(wake_->Descriptor());
    if (back.Outcome != ReturnOutcome::Opened)
        return;
    UniqueFd(back.Fd).Reset();
    returned_(back.Path);
}
