#pragma once

#include <string>
#include <variant>

#include "link/port/OpenFailure.h"
#include "link/port/UucpLock.h"

// A serial device opened as the port opens it: the UUCP lock taken first,
// then the device opened and made exclusive (TIOCEXCL and an flock). Any
// thread may take a claim; its holder owns the device until the claim is
// destroyed, which closes it and releases the lock.
class DeviceClaim {
public:
    // Nothing claimed.
    DeviceClaim() = default;
    // The claimed device, or why it was not claimed: HeldByAnother with the
    // holder a lock file, an flock or an open of the device names; the lock
    // file's refusal; ExclusiveMarkLeft; or the refusal of the open.
    static std::variant<DeviceClaim, OpenFailure> Take(const std::string& path, const std::string& lockFolder);
    ~DeviceClaim();
    DeviceClaim(DeviceClaim&& other) noexcept;
    DeviceClaim& operator=(DeviceClaim&& other) noexcept;

    bool Held() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

private:
    void Drop();

    std::string path_;
    UucpLock lock_;  // released after the descriptor is closed
    int fd_ = -1;
};

// What taking a claim gave.
using Claimed = std::variant<DeviceClaim, OpenFailure>;
