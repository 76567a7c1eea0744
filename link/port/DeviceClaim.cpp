#include "link/port/DeviceClaim.h"

#include <utility>

#include "system/ProcessFacts.h"
#include "system/Tty.h"

namespace {

OpenFailure HeldByLock(const std::string& path, long holder)
{
    OpenFailure failure;
    failure.Why = OpenRefusal::HeldByAnother;
    failure.Device = path;
    failure.HolderPid = holder;
    failure.HolderName = ProcessName(holder);
    return failure;
}

}  // namespace

Claimed DeviceClaim::Take(const std::string& path, const std::string& lockFolder)
{
    DeviceClaim claim;
    claim.path_ = path;
    claim.lock_ = UucpLock(lockFolder);
    if (!claim.lock_.Acquire(path))
        return HeldByLock(path, UucpLock::HolderPid(claim.lock_.LockPathFor(path)).value_or(0));
    const SysResult<int> opened = tty::OpenExclusive(path);
    if (!opened)
        return RefusedBy(opened.Error(), path);
    claim.fd_ = opened.Value();
    return claim;
}

DeviceClaim::~DeviceClaim()
{
    Drop();
}

DeviceClaim::DeviceClaim(DeviceClaim&& other) noexcept
    : path_(std::move(other.path_)), lock_(std::move(other.lock_)), fd_(std::exchange(other.fd_, -1))
{
}

DeviceClaim& DeviceClaim::operator=(DeviceClaim&& other) noexcept
{
    if (this != &other) {
        Drop();
        path_ = std::move(other.path_);
        lock_ = std::move(other.lock_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void DeviceClaim::Drop()
{
    if (fd_ >= 0)
        tty::CloseExclusive(std::exchange(fd_, -1));
    lock_.Release();
}
