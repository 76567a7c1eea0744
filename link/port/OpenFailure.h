#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "system/SysResult.h"

// Why the serial port did not open.
enum class OpenRefusal {
    None,
    NoPortSelected,
    NoSpeedSelected,
    NoDeviceMapped,    // a port number without a default device and no COM<n> key
    PermissionDenied,
    NoSuchDevice,
    HeldByAnother,     // a live UUCP lock, an flock or TIOCEXCL of another open
    ExclusiveMarkLeft, // TIOCEXCL refused the open, and no holder could be found
    LockNotAFile,      // a folder or special file stands where the UUCP lock belongs
    StaleLockStays,    // a stale UUCP lock that this user may not remove
    NotATerminal,
    Other,
};

struct OpenFailure {
    OpenRefusal Why = OpenRefusal::None;
    int Error = 0;                  // the errno of the refused call, 0 when none
    std::string Device;             // the device path, empty when none was looked up
    int32_t PortNumber = 0;
    std::string IniPath;            // the settings file that may map COM<n>
    std::optional<long> HolderPid;  // from the UUCP lock file, the flock or an open, when one names it
    std::string HolderName;         // the program with that pid, when known
    std::string Mapping;            // the device the settings file maps COM<n> to; empty when none
    std::string LockPath;           // LockNotAFile, StaleLockStays: the UUCP lock's path
    std::string LockOwner;          // StaleLockStays: the user the lock file belongs to
};

// The refusal an errno of an open stands for.
OpenRefusal RefusalForError(int error);

// device refused with the error of the call that failed.
OpenFailure RefusedBy(const SysError& error, const std::string& device);
