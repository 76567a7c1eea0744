#include "link/port/UucpLock.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "system/FileCalls.h"
#include "system/ProcessFacts.h"

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

// Covers the tick the start time is counted in and the clock being set a little
// between the lock's writing and now.
constexpr std::chrono::seconds kClockSlack{1};

// A running pid that started after the lock was written belongs to another
// process than the one that wrote it. When either time is unknown, the lock counts.
bool StartedAfter(long pid, const std::string& lockPath)
{
    const auto started = ProcessStartTime(pid);
    const SysResult<FileFacts> lock = FactsAt(lockPath);
    return started && lock && *started > lock.Value().modified + kClockSlack;
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
    if (!FolderWritable(folder_))
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
    RemoveFile(held_);
    held_.clear();
}

bool UucpLock::TryCreate(const std::string& lockPath) const
{
    char text[16];
    std::snprintf(text, sizeof text, "%10ld\n", OwnProcessId());
    return CreateNewFile(lockPath, text).Ok();
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
    if (pid && (!ProcessRuns(*pid) || StartedAfter(*pid, lockPath)))
        return std::nullopt;
    return pid ? pid : 0;
}

bool UucpLock::RemoveIfStale(const std::string& lockPath)
{
    if (HolderPid(lockPath))
        return false;
    return RemoveFile(lockPath).Ok();
}
