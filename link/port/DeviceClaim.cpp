#include "link/port/DeviceClaim.h"

#include <cerrno>
#include <utility>

#include "system/DeviceFacts.h"
#include "system/DeviceHolders.h"
#include "system/ProcessFacts.h"
#include "system/Tty.h"

namespace {

OpenFailure HeldBy(const std::string& path, long holder)
{
    OpenFailure failure;
    failure.Why = OpenRefusal::HeldByAnother;
    failure.Device = path;
    failure.HolderPid = holder;
    failure.HolderName = holder > 0 ? ProcessName(holder) : std::string();
    return failure;
}

OpenFailure LockRefusal(const std::string& path, const LockOutcome& lock)
{
    if (lock.What == LockOutcome::Kind::Held)
        return HeldBy(path, lock.HolderPid);
    OpenFailure failure;
    failure.Why = lock.What == LockOutcome::Kind::NotAFile ? OpenRefusal::LockNotAFile : OpenRefusal::StaleLockStays;
    failure.Error = lock.Error;
    failure.Device = path;
    failure.LockPath = lock.LockPath;
    failure.LockOwner = ReadDeviceFacts(lock.LockPath).Owner;
    return failure;
}

// The open was refused as held: named by its flock, else by an open of the
// device. Where neither is found, the device's exclusive mark was left by a
// program that ended (the kernel refuses such an open to all but root), or
// is held by a program of another user that cannot be looked into.
OpenFailure HeldByOpen(const std::string& path)
{
    if (const std::optional<long> locker = FlockHolder(path))
        return HeldBy(path, *locker);
    const DeviceOpeners openers = ProcessesWithDeviceOpen(path);
    if (!openers.Pids.empty())
        return HeldBy(path, openers.Pids.front());
    OpenFailure failure;
    failure.Why = OpenRefusal::ExclusiveMarkLeft;
    failure.Error = EBUSY;
    failure.Device = path;
    return failure;
}

}  // namespace

Claimed DeviceClaim::Take(const std::string& path, const std::string& lockFolder)
{
    DeviceClaim claim;
    claim.path_ = path;
    claim.lock_ = UucpLock(lockFolder);
    const LockOutcome locked = claim.lock_.Acquire(path);
    if (!locked.Taken())
        return LockRefusal(path, locked);
    const SysResult<int> opened = tty::OpenExclusive(path);
    if (!opened && opened.Error().Code == EBUSY)
        return HeldByOpen(path);
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
