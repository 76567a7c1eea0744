#include "link/UucpLock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "link/ProcessFacts.h"

namespace {

bool IsTextByte(char c)
{
    return (c >= '0' && c <= '9') || c == ' ' || c == '\n';
}

// Older programs wrote the pid as a 4-byte binary int in host order.
bool IsBinaryPid(const std::string& bytes)
{
    return bytes.size() == 4 && !std::all_of(bytes.begin(), bytes.end(), IsTextByte);
}

bool IsRunning(long pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// Covers the tick the start time is counted in and the clock being set a little
// between the lock's writing and now.
constexpr std::chrono::seconds kClockSlack{1};

std::optional<std::chrono::system_clock::time_point> LastWritten(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
}

// A running pid that started after the lock was written belongs to another
// process than the one that wrote it. When either time is unknown, the lock counts.
bool StartedAfter(long pid, const std::string& lockPath)
{
    const auto started = ProcessStartTime(pid);
    const auto written = LastWritten(lockPath);
    return started && written && *started > *written + kClockSlack;
}

}  // namespace

// The lock names the device itself, so two links to one port share a lock.
std::string UucpLock::DeviceName(const std::string& devicePath)
{
    std::error_code error;
    std::string name = std::filesystem::canonical(devicePath, error).string();
    if (error)
        name = devicePath;
    if (name.starts_with("/dev/"))
        name.erase(0, 5);
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

UucpLock::UucpLock(std::string lockFolder) : folder_(std::move(lockFolder)) {}

UucpLock::~UucpLock()
{
    Release();
}

UucpLock::UucpLock(UucpLock&& other) noexcept
    : folder_(std::move(other.folder_)), held_(std::exchange(other.held_, {}))
{
}

UucpLock& UucpLock::operator=(UucpLock&& other) noexcept
{
    if (this != &other) {
        Release();
        folder_ = std::move(other.folder_);
        held_ = std::exchange(other.held_, {});
    }
    return *this;
}

std::string UucpLock::LockPathFor(const std::string& devicePath) const
{
    return folder_ + "/LCK.." + DeviceName(devicePath);
}

bool UucpLock::Acquire(const std::string& devicePath)
{
    if (::access(folder_.c_str(), W_OK | X_OK) != 0)
        return true;
    const std::string lockPath = LockPathFor(devicePath);
    if (TryCreate(lockPath) || (RemoveIfStale(lockPath) && TryCreate(lockPath))) {
        held_ = lockPath;
        return true;
    }
    return false;
}

void UucpLock::Release()
{
    if (held_.empty())
        return;
    ::unlink(held_.c_str());
    held_.clear();
}

bool UucpLock::TryCreate(const std::string& lockPath) const
{
    const int fd = ::open(lockPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(::getpid()));
    const bool written = ::write(fd, text, static_cast<size_t>(length)) == length;
    ::close(fd);
    if (!written)
        ::unlink(lockPath.c_str());
    return written;
}

std::optional<long> UucpLock::OwnerPid(const std::string& lockPath)
{
    std::ifstream file(lockPath, std::ios::binary);
    char bytes[64];
    file.read(bytes, sizeof bytes);
    const std::string content(bytes, static_cast<size_t>(file.gcount()));
    if (content.empty())
        return std::nullopt;
    if (IsBinaryPid(content)) {
        int32_t pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        return pid;
    }
    return std::strtol(content.c_str(), nullptr, 10);
}

std::optional<long> UucpLock::HolderPid(const std::string& lockPath)
{
    // Empty or unreadable: held, by no one known. Text without a pid counts as
    // stale, like a pid that no longer runs.
    const std::optional<long> pid = OwnerPid(lockPath);
    if (pid && (!IsRunning(*pid) || StartedAfter(*pid, lockPath)))
        return std::nullopt;
    return pid ? pid : 0;
}

bool UucpLock::RemoveIfStale(const std::string& lockPath)
{
    if (HolderPid(lockPath))
        return false;
    return ::unlink(lockPath.c_str()) == 0;
}
