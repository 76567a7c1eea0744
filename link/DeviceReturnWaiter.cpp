#include "link/DeviceReturnWaiter.h"

#include <pthread.h>

#include "link/WakeEvent.h"

DeviceReturnWaiter::DeviceReturnWaiter(ReopenTarget target, std::string lockFolder, Ended ended)
    : watch_(std::move(target), [this](const std::string& path) { return Claim(path); }),
      lockFolder_(std::move(lockFolder)), ended_(std::move(ended))
{
}

DeviceReturnWaiter::~DeviceReturnWaiter()
{
    Stop();
}

void DeviceReturnWaiter::Start()
{
    Stop();
    if (!CanReturn())
        return;
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

int DeviceReturnWaiter::Claim(const std::string& path)
{
    claim_ = DeviceClaim::Take(path, lockFolder_);
    return claim_.Held() ? claim_.Descriptor() : -claim_.Error();
}

void DeviceReturnWaiter::Run()
{
    const DeviceReturn back = watch_.Wait(wake_->Descriptor());
    if (back.Outcome == ReturnOutcome::Opened)
        ended_(std::make_shared<DeviceClaim>(std::move(claim_)));
    else if (back.Outcome == ReturnOutcome::Failed)
        ended_(std::make_shared<DeviceClaim>(DeviceClaim::Refused(back.Path, back.Error)));
    claim_ = DeviceClaim();
}
