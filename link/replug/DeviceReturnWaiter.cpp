#include "link/replug/DeviceReturnWaiter.h"

#include "system/NamedThread.h"

DeviceReturnWaiter::DeviceReturnWaiter(ReopenTarget target, std::string lockFolder, Ended ended)
    : watch_(std::move(target), std::move(lockFolder)), ended_(std::move(ended))
{
}

DeviceReturnWaiter::~DeviceReturnWaiter()
{
    Stop();
}

SysStatus DeviceReturnWaiter::Start()
{
    Stop();
    if (!CanReturn())
        return Done{};
    SysResult<WakeEvent> wake = WakeEvent::Create();
    if (!wake)
        return wake.Error();
    wake_.emplace(std::move(wake).Value());
    SysResult<std::thread> thread = StartNamedThread("pelmora-replug", [this] { Run(); });
    if (!thread)
        return thread.Error();
    thread_ = std::move(thread).Value();
    return Done{};
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
    DeviceReturn back = watch_.Wait(wake_->Descriptor());
    if (back.Outcome == ReturnOutcome::Opened)
        ended_(std::make_shared<Claimed>(std::move(back.Claim)));
    else if (back.Outcome == ReturnOutcome::Failed)
        ended_(std::make_shared<Claimed>(std::move(back.Failure)));
}
