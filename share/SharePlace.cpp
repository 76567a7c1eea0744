#include "share/SharePlace.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "link/port/UucpLock.h"
#include "system/FileCalls.h"
#include "system/UserFacts.h"

SocketFailure FailureOf(const SocketOpened& opened, const std::string& path)
{
    const std::string_view call = CallNameOf(opened.failedAt);
    return {call.empty() ? path : std::string(call), opened.socket.Error()};
}

std::string SocketFailureText(const SocketFailure& failure)
{
    const bool tooLong = failure.error.Code == ENAMETOOLONG;
    return failure.subject + ": " + (tooLong ? "the path is too long" : failure.error.Text());
}

std::string ShareFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/pelmora";
    return "/tmp/pelmora-" + std::to_string(CurrentUserId());
}

std::string SocketPathFor(const std::string& folder, const std::string& devicePath)
{
    return folder + "/" + UucpLock::DeviceName(devicePath) + ".sock";
}

std::string PrepareShareFolder(const std::string& folder)
{
    const SysStatus made = MakeFolder(folder, 0700);
    if (!made && made.Error().Code != EEXIST)
        return folder + ": " + made.Error().Text();
    const SysResult<FileFacts> facts = LinkFactsAt(folder);
    if (!facts)
        return folder + ": " + facts.Error().Text();
    const FileFacts& found = facts.Value();
    if (found.kind != FileKind::Folder || found.owner != CurrentUserId() || found.mode != 0700)
        return folder + " is not a folder of this user with mode 0700";
    return {};
}

SharePlace::~SharePlace()
{
    Close();
}

SharePlace::SharePlace(SharePlace&& other) noexcept
    : path_(std::exchange(other.path_, {})), lock_(std::move(other.lock_)),
      listener_(std::move(other.listener_)), failure_(std::move(other.failure_))
{
}

SharePlace& SharePlace::operator=(SharePlace&& other) noexcept
{
    if (this != &other) {
        Close();
        path_ = std::exchange(other.path_, {});
        lock_ = std::move(other.lock_);
        listener_ = std::move(other.listener_);
        failure_ = std::move(other.failure_);
    }
    return *this;
}

SharePlace::Result SharePlace::Open(const std::string& socketPath)
{
    Close();
    if (socketPath.size() >= kUnixPathRoom)
        return Refuse({socketPath, SysError{ENAMETOOLONG}});
    const std::string lockPath = socketPath + ".lock";
    SysResult<UniqueFd> lock = OpenLockFile(lockPath);
    if (!lock)
        return Refuse({lockPath, lock.Error()});
    if (const SysStatus locked = LockWithoutWaiting(lock.Value().Get()); !locked)
        return WouldBlock(locked.Error()) ? Result::Clash : Refuse({lockPath, locked.Error()});
    // Under the lock, a socket at the path is a dead program's.
    RemoveFile(socketPath);
    SocketOpened opened = ListenOnUnixPath(socketPath);
    if (!opened.socket)
        return Refuse(FailureOf(opened, socketPath));
    listener_ = std::move(opened.socket).Value();
    path_ = socketPath;
    SetMode(socketPath, 0600);
    lock_ = std::move(lock).Value();
    return Result::Listening;
}

SharePlace::Result SharePlace::Refuse(SocketFailure failure)
{
    failure_ = std::move(failure);
    return Result::Failed;
}

void SharePlace::Close()
{
    if (!path_.empty())
        RemoveFile(path_);
    path_.clear();
    listener_.Reset();
    lock_.Reset();
}
