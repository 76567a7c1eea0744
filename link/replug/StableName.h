#pragma once

#include <string>
#include <utility>

// A serial adapter keeps its name under /dev/serial/by-id (made by udev from
// its vendor, model and serial number) across unplugging, while its node
// (/dev/ttyUSB0, ...) may come back under another number, and another adapter
// may take the old number. These functions choose the one name an adapter is
// known by and find it again by that name alone.

inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";
inline constexpr const char* kSerialByPathFolder = "/dev/serial/by-path";
inline constexpr const char* kSysTtyFolder = "/sys/class/tty";

// Where the names that outlive a node are kept (tests pass scratch folders).
struct NameFolders {
    NameFolders(std::string byId = kSerialByIdFolder, std::string byPath = kSerialByPathFolder,
                std::string sysTty = kSysTtyFolder)
        : ById(std::move(byId)), ByPath(std::move(byPath)), SysTty(std::move(sysTty))
    {
    }
    std::string ById;    // by adapter: vendor, model, serial number
    std::string ByPath;  // by USB socket
    std::string SysTty;  // sysfs: the device behind each tty
};

// Where path leads after following every link: the device node. Empty when
// it leads nowhere.
std::string DeviceNode(const std::string& path);

// The entry of folder (full path) that leads to the same device as
// devicePath, which may itself be a link. Empty when no entry does, when
// devicePath leads nowhere or when the folder cannot be read.
std::string FindStableName(const std::string& devicePath, const std::string& folder = kSerialByIdFolder);

// Whether the tty node belongs to a USB device without a serial number, so
// that every adapter of its kind gets the same by-id name.
bool SharesItsStableName(const std::string& node, const std::string& sysTtyFolder = kSysTtyFolder);

// What to remember of an opened port so that it can be found again once it
// has been unplugged. Take it while the device is present (right after open).
struct ReopenTarget {
    std::string OpenedPath;  // as the user named it: a node or a link
    // The one name the device is accepted through when it comes back; empty
    // when it has none, and then it never comes back.
    std::string Identity;
};

// The identity: its by-id name, or its by-path name when that by-id name is
// shared; else the link the user named; else none (a bare node, such as a
// pseudo-terminal, whose number the next device of any kind may take).
ReopenTarget RememberDevice(const std::string& openedPath, const NameFolders& folders = {});

// The node to open when the device is back: where its identity leads now;
// empty while it leads nowhere.
std::string ReturnedDevicePath(const ReopenTarget& target);
