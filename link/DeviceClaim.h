#pragma once

#include <optional>
#include <string>

#include "link/UucpLock.h"

// A serial device opened as the port opens it, or why it could not be: the
// UUCP lock taken first, then the device opened and made exclusive (TIOCEXCL
// and an flock). Any thread may take a claim; its holder owns the device
// until the claim is destroyed, which closes it and releases the lock.
class DeviceClaim {
public:
    // Nothing claimed, no error.
    DeviceClaim() = default;
    static DeviceClaim Take(const std::string& path, const std::string& lockFolder);
    ~DeviceClaim();
    DeviceClaim(DeviceClaim&& other) noexcept;
    DeviceClaim& operator=(DeviceClaim&& other) noexcept;

    bool Held() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }
    // Why it is not held: an errno value (EBUSY for a lock or exclusive open
    // of another program); 0 when held or never tried.
    int Error() const { return error_; }
    // Refused by a lock file: the pid it names (0: none readable).
    const std::optional<long>& LockHolder() const { return lockHolder_; }

    // A claim that was refused with error, as when a wait for it gave up.
    static DeviceClaim Refused(const std::string& path, int error);

private:
    void Drop();

    std::string path_;
    UucpLock lock_;  // released after the descriptor is closed
    int fd_ = -1;
    int error_ = 0;
    std::optional<long> lockHolder_;
};
