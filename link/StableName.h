#pragma once

#include <string>

// A serial adapter keeps its name under /dev/serial/by-id (made by udev from
// its vendor, model and serial number) across unplugging, while its node
// (/dev/ttyUSB0, ...) may come back under another number. These functions
// find that name for an opened device and find the device again by it.

inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

// Where path leads after following every link: the device node. Empty when
// it leads nowhere.
std::string DeviceNode(const std::string& path);

// The entry of byIdFolder (full path) whose link leads to the same node as
// devicePath, which may itself be a link. Empty when no entry does, when
// devicePath leads nowhere or when the folder cannot be read.
std::string FindStableName(const std::string& devicePath,
                           const std::string& byIdFolder = kSerialByIdFolder);

// What to remember of an opened port so that it can be found again once it
// has been unplugged. Take it while the device is present (right after open).
struct ReopenTarget {
    std::string OpenedPath;  // as the user named it: a node or a link
    std::string StableName;  // full path under the by-id folder; empty when none
};

ReopenTarget RememberDevice(const std::string& openedPath,
                            const std::string& byIdFolder = kSerialByIdFolder);

// The path to open now: the node the stable name leads to when it leads to
// one, otherwise the opened path (whether or not it exists).
std::string ResolveForReopen(const ReopenTarget& target);

// The path to open when the device is back, empty while it is not. The
// stable name wins: it gives the node it leads to now. Otherwise the opened
// path, once it leads to a node again - unless a stable name is known and
// another by-id entry leads to that node, which makes it a different adapter
// that took over the old node name.
std::string ReturnedDevicePath(const ReopenTarget& target);
