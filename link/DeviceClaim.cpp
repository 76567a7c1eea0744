#include "link/DeviceClaim.h"

#include <cerrno>
#include <utility>

#include "link/Tty.h"

DeviceClaim DeviceClaim::Take(const std::string& path, const std::string& lockFolder)
{
    DeviceClaim claim;
    claim.path_ = path;
    claim.lock_ = UucpLock(lockFolder);
    if (!claim.lock_.Acquire(path)) {
        claim.error_ = EBUSY;
        claim.lockHolder_ = UucpLock::HolderPid(claim.lock_.LockPathFor(path)).value_or(0);
        return claim;
    }
    claim.fd_ = tty::OpenExclusive(path);
    if (claim.fd_ < 0) {
        claim.error_ = errno;
        claim.lock_.Release();
    }
    return claim;
}

DeviceClaim DeviceClaim::Refused(const std::string& path, int error)
{
    DeviceClaim claim;
    claim.path_ = path;
    claim.error_ = error;
    return claim;
}

DeviceClaim::~DeviceClaim()
{
    Drop();
}

DeviceClaim::DeviceClaim(DeviceClaim&& other) noexcept
    : path_(std::move(other.path_)), lock_(std::move(other.lock_)), fd_(std::exchange(other.fd_, -1)),
      error_(other.error_), lockHolder_(other.lockHolder_)
{
}

DeviceClaim& DeviceClaim::operator=(DeviceClaim&& other) noexcept
{
    if (this != &other) {
        Drop();
        path_ = std::move(other.path_);
        lock_ = std::move(other.lock_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
        lockHolder_ = other.lockHolder_;
    }
    return *this;
}

void DeviceClaim::Drop()
{
    if (fd_ >= 0)
        tty::CloseExclusive(std::exchange(fd_, -1));
    lock_.Release();
}
