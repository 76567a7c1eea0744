#pragma once

#include <string>

#include "link/OpenFailure.h"

// What stat() tells about a device, names already looked up.
struct DeviceFacts {
    bool Known = false;  // false when the device could not be examined
    std::string Owner;   // user name, or the number when it has none
    std::string Group;   // group name, or the number when it has none
    unsigned GroupId = 0;
    char Type = '?';     // as ls -l shows it: 'c' for a character device, '-' for a file
    unsigned Permissions = 0;  // the nine rwx bits, 0640 and the like
};

// Examines path (link/DeviceFactsPosix.cpp).
DeviceFacts ReadDeviceFacts(const std::string& path);

// One line telling the user which device failed and what to do about it, in
// the installed translation's language (Japanese without one); empty for
// OpenRefusal::None.
std::string OpenFailureText(const OpenFailure& failure, const DeviceFacts& device);

// OpenFailureText with the facts read from the device now.
std::string DescribeOpenFailure(const OpenFailure& failure);

// "crw-rw----" as ls -l shows it.
std::string ModeText(const DeviceFacts& device);
