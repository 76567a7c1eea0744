#include "system/DeviceHolders.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::optional<long> NumberIn(std::string_view text, int base = 10)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<dev_t> DeviceNumber(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode))
        return std::nullopt;
    return status.st_rdev;
}

// Only what was opened below /dev is examined: a stat of a file on a stuck
// network or FUSE mount would hang, and device nodes live in /dev.
bool DescriptorIsDevice(const fs::path& descriptor, dev_t device)
{
    std::error_code error;
    const fs::path opened = fs::read_symlink(descriptor, error);
    if (error || !opened.native().starts_with("/dev/"))
        return false;
    struct stat status {};
    return ::stat(descriptor.c_str(), &status) == 0 && S_ISCHR(status.st_mode) && status.st_rdev == device;
}

enum class Holds { No, Yes, Unreadable };

Holds ProcessHolds(const fs::path& process, dev_t device, int except)
{
    std::error_code error;
    fs::directory_iterator descriptors(process / "fd", error);
    if (error)
        return error == std::errc::permission_denied ? Holds::Unreadable : Holds::No;
    for (const fs::directory_entry& entry : descriptors) {
        if (NumberIn(entry.path().filename().native()) == except)
            continue;
        if (DescriptorIsDevice(entry.path(), device))
            return Holds::Yes;
    }
    return Holds::No;
}

DeviceOpeners FindOpeners(const std::string& path, bool countThisProcess, int except)
{
    DeviceOpeners openers;
    const std::optional<dev_t> device = DeviceNumber(path);
    if (!device)
        return openers;
    const long self = static_cast<long>(::getpid());
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::optional<long> pid = NumberIn(entry.path().filename().native());
        if (!pid || (*pid == self && !countThisProcess))
            continue;
        const Holds holds = ProcessHolds(entry.path(), *device, *pid == self ? except : -1);
        if (holds == Holds::Yes)
            openers.Pids.push_back(*pid);
        openers.SomeUnreadable = openers.SomeUnreadable || holds == Holds::Unreadable;
    }
    return openers;
}

// "1: FLOCK  ADVISORY  WRITE 4711 00:05:3 0 EOF": the kind, the pid and
// major:minor:inode, the device numbers in hex. Waiters carry "->" and hold nothing.
std::optional<long> FlockPidIn(const std::string& line, const std::string& nodeId)
{
    std::istringstream fields(line);
    std::string number, kind, advisory, access, pid, node;
    if (!(fields >> number >> kind >> advisory >> access >> pid >> node) || kind != "FLOCK" || node != nodeId)
        return std::nullopt;
    const std::optional<long> holder = NumberIn(pid);
    return holder && *holder > 0 ? holder : std::nullopt;
}

std::string NodeId(const struct stat& status)
{
    std::ostringstream id;
    id << std::hex << std::setfill('0') << std::setw(2) << ::major(status.st_dev) << ':' << std::setw(2)
       << ::minor(status.st_dev) << ':' << std::dec << status.st_ino;
    return id.str();
}

}  // namespace

DeviceOpeners ProcessesWithDeviceOpen(const std::string& path, int except)
{
    return FindOpeners(path, true, except);
}

DeviceOpeners OtherProcessesWithDeviceOpen(const std::string& path)
{
    return FindOpeners(path, false, -1);
}

std::optional<long> FlockHolder(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    const std::string nodeId = NodeId(status);
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        if (const std::optional<long> pid = FlockPidIn(line, nodeId))
            return pid;
    }
    return std::nullopt;
}
