#pragma once

#include <string>

// What stat() tells about a device, names already looked up.
struct DeviceFacts {
    bool Known = false;  // false when the device could not be examined
    std::string Owner;   // user name, or the number when it has none
    std::string Group;   // group name, or the number when it has none
    unsigned GroupId = 0;
    char Type = '?';     // as ls -l shows it: 'c' for a character device, '-' for a file
    unsigned Permissions = 0;  // the nine rwx bits, 0640 and the like
};

// Examines path.
DeviceFacts ReadDeviceFacts(const std::string& path);

// Whether both paths lead to one device: the same device number for device
// nodes (two nodes may name one device), else the same file.
bool SameDevice(const std::string& a, const std::string& b);
