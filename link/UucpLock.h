#pragma once

#include <optional>
#include <string>

// The traditional UUCP lock file LCK..<device> holding the owner's process id
// as ten ASCII digits (or, from older programs, as a 4-byte binary int), honoured by serial programs that predate TIOCEXCL.
// Taken only where the lock folder exists and is writable; a lock whose owner
// no longer runs is removed.
class UucpLock {
public:
    explicit UucpLock(std::string lockFolder = "/var/lock");
    ~UucpLock();
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // False when another running process holds the device (this process
    // included: a second open of the same port is refused).
    bool Acquire(const std::string& devicePath);
    void Release();

    // "/var/lock/LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
    std::string LockPathFor(const std::string& devicePath) const;

    // The pid a lock file names; nullopt when it is empty or cannot be read,
    // 0 when its text holds no number.
    static std::optional<long> OwnerPid(const std::string& lockPath);

private:
    bool TryCreate(const std::string& lockPath) const;
    bool RemoveIfStale(const std::string& lockPath) const;

    std::string folder_;
    std::string held_;  // the lock file this object created, empty when none
};
