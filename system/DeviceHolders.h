#pragma once

#include <optional>
#include <string>
#include <vector>

// Who has a device open or locked, as /proc tells it. Walking every process's
// descriptors costs a directory read per process: it is done only where an
// open was refused, a left exclusive mark is found, or a device comes back.

struct DeviceOpeners {
    std::vector<long> Pids;       // the processes found with it open, each once
    bool SomeUnreadable = false;  // a process whose descriptors cannot be read may hold it too
};

// The processes with the device path leads to open (the same device number),
// this one included but for its descriptor except (-1: none skipped).
DeviceOpeners ProcessesWithDeviceOpen(const std::string& path, int except = -1);

// The same for every process but this one.
DeviceOpeners OtherProcessesWithDeviceOpen(const std::string& path);

// The process holding an flock on the node path leads to (from /proc/locks);
// nullopt when none does or the node cannot be examined.
std::optional<long> FlockHolder(const std::string& path);
