#include "link/port/UucpLock.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

bool YoungerThanTheGrace(const std::string& lockPath)
{
    const SysResult<FileFacts> lock = FactsAt(lockPath);
    if (!lock)
        return false;
    const auto age = std::chrono::system_clock::now() - lock.Value().modified;
    return age < kEmptyLockGrace && age > -kEmptyLockGrace;
}

// The first bytes of the file, at most a lock's worth; nullopt when unreadable.
std::optional<std::string> LockBytes(const std::string& lockPath)
{
    SysResult<UniqueFd> file = OpenToReadWithoutWaiting(lockPath);
    if (!file)
        return std::nullopt;
    char bytes[64];
    const SysResult<std::size_t> read = ReadSome(file.Value().Get(), bytes);
    if (!read)
        return std::nullopt;
    return std::string(bytes, read.Value());
}

long ValidPidOr0(long long pid)
{
    return pid > 0 && pid <= HighestProcessId() ? static_cast<long>(pid) : 0;
}

// Ten columns of digits with blanks before and a newline after; some programs
// add their name and user after a blank, which is left unread.
long TextPid(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos)
        return 0;
    long long pid = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + start, end, pid);
    if (error != std::errc() || (stop != end && *stop != '\n' && *stop != ' '))
        return 0;
    return ValidPidOr0(pid);
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

LockOutcome UucpLock::Acquire(const std::string& devicePath)
{
    if (!FolderWritable(folder_))
        return {};
    const std::string lockPath = LockPathFor(devicePath);
    // A second round where the stale lock was gone; a third would mean a race lost twice.
    for (int round = 0; round < 2; ++round) {
        if (TryCreate(lockPath)) {
            held_ = lockPath;
            return {};
        }
        if (std::optional<LockOutcome> stops = RemoveIfStale(lockPath))
            return *stops;
    }
    return {LockOutcome::Kind::Held, 0, lockPath};
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

std::optional<long> UucpLock::PidIn(const std::string& bytes)
{
    if (bytes.empty())
        return std::nullopt;
    if (IsBinaryPid(bytes)) {
        int32_t pid = 0;
        std::memcpy(&pid, bytes.data(), sizeof pid);
        return ValidPidOr0(pid);
    }
    return TextPid(bytes);
}

std::optional<long> UucpLock::HolderPid(const std::string& lockPath)
{
    const std::optional<std::string> bytes = LockBytes(lockPath);
    if (!bytes)
        return 0;
    const std::optional<long> pid = PidIn(*bytes);
    if (!pid)
        return YoungerThanTheGrace(lockPath) ? std::optional<long>(0) : std::nullopt;
    if (*pid == 0 || !ProcessRuns(*pid) || StartedAfter(*pid, lockPath))
        return std::nullopt;
    return pid;
}

std::optional<LockOutcome> UucpLock::RemoveIfStale(const std::string& lockPath)
{
    const SysResult<FileFacts> facts = LinkFactsAt(lockPath);
    if (!facts)
        return std::nullopt;
    if (facts.Value().kind != FileKind::Regular)
        return LockOutcome{LockOutcome::Kind::NotAFile, 0, lockPath};
    if (const std::optional<long> holder = HolderPid(lockPath))
        return LockOutcome{LockOutcome::Kind::Held, *holder, lockPath};
    const SysStatus removed = RemoveFile(lockPath);
    if (removed || removed.Error().Code == ENOENT)
        return std::nullopt;
    return LockOutcome{LockOutcome::Kind::StaleStays, 0, lockPath, removed.Error().Code};
}
