#pragma once

#include <optional>
#include <string>

// The traditional UUCP lock file LCK..<device> holding the owner's process id
// as ten ASCII digits (or, from older programs, as a 4-byte binary int), honoured by serial programs that predate TIOCEXCL.
// Taken only where the lock folder exists and is writable. A stale lock is
// removed: its process no longer runs, or the process with its pid started
// after the lock was written (the pid was reused). Programs write the lock
// before they open the device, so whether that process has it open tells
// nothing.
class UucpLock {
public:
    explicit UucpLock(std::string lockFolder = "/var/lock");
    ~UucpLock();
    UucpLock(UucpLock&& other) noexcept;
    // Releases the lock held before.
    UucpLock& operator=(UucpLock&& other) noexcept;

    // False when another running process holds the device (this process
    // included: a second open of the same port is refused).
    bool Acquire(const std::string& devicePath);
    void Release();

    // "/var/lock/LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
    std::string LockPathFor(const std::string& devicePath) const;
    // The device's part of that name: "ttyUSB0", "pts_3" (links resolved).
    static std::string DeviceName(const std::string& devicePath);

    // The pid a lock file names; nullopt when it is empty or cannot be read,
    // 0 when its text holds no number.
    static std::optional<long> OwnerPid(const std::string& lockPath);

    // Who holds the lock at lockPath: its pid, 0 when the file names none
    // that can be read (empty, unreadable); nullopt when the lock is stale.
    static std::optional<long> HolderPid(const std::string& lockPath);

private:
    bool TryCreate(const std::string& lockPath) const;
    static bool RemoveIfStale(const std::string& lockPath);

    std::string folder_;
    std::string held_;  // the lock file this object created, empty when none
};
