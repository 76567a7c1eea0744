#pragma once

#include <chrono>
#include <optional>
#include <string>

// What taking a UUCP lock gave.
struct LockOutcome {
    enum class Kind {
        Taken,       // held now, or no lock folder to take it in
        Held,        // a running process holds the device
        NotAFile,    // a folder or special file stands where the lock belongs
        StaleStays,  // a stale lock that this user may not remove (another's, in a sticky folder)
    };
    Kind What = Kind::Taken;
    long HolderPid = 0;    // Held: the pid the lock names, 0 when it names none that can be read
    std::string LockPath;  // every kind but Taken
    int Error = 0;         // StaleStays: the errno of the refused removal

    bool Taken() const { return What == Kind::Taken; }
};

// Another program may be writing an empty lock right now; one older than
// this was left so by a program that ended before it wrote its pid.
inline constexpr std::chrono::seconds kEmptyLockGrace{5};

// The traditional UUCP lock file LCK..<device> holding the owner's process id
// as ten ASCII digits (or, from older programs, as a 4-byte binary int), honoured by serial programs that predate TIOCEXCL.
// Taken only where the lock folder exists and is writable. A stale lock is
// removed: its process no longer runs, the process with its pid started
// after the lock was written (the pid was reused), its number is no process
// id at all, or it is empty and older than kEmptyLockGrace. Programs write
// the lock before they open the device, so whether that process has it open
// tells nothing.
class UucpLock {
public:
    explicit UucpLock(std::string lockFolder = "/var/lock");
    ~UucpLock();
    UucpLock(UucpLock&& other) noexcept;
    // Releases the lock held before.
    UucpLock& operator=(UucpLock&& other) noexcept;

    // Anything but Taken when another running process holds the device (this
    // process included: a second open of the same port is refused) or the
    // lock cannot be made.
    LockOutcome Acquire(const std::string& devicePath);
    void Release();

    // "/var/lock/LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
    std::string LockPathFor(const std::string& devicePath) const;
    // The device's part of that name: "ttyUSB0", "pts_3" (links resolved).
    static std::string DeviceName(const std::string& devicePath);

    // The pid a lock file's bytes name: nullopt when they are empty, 0 when
    // they hold no number that can be a process id (none, not above 0, above
    // the system's highest pid or beyond a long).
    static std::optional<long> PidIn(const std::string& bytes);

    // Who holds the lock at lockPath: its pid, 0 when the file names none
    // that can be read (unreadable, or empty and younger than
    // kEmptyLockGrace); nullopt when the lock is stale.
    static std::optional<long> HolderPid(const std::string& lockPath);

private:
    bool TryCreate(const std::string& lockPath) const;
    // nullopt once the stale lock is gone; else what stops the taking.
    static std::optional<LockOutcome> RemoveIfStale(const std::string& lockPath);

    std::string folder_;
    std::string held_;  // the lock file this object created, empty when none
};
