#include "share/SharePlace.h"

#include <cerrno>
#include <utility>

#include "system/FileCalls.h"
#include "system/Sockets.h"

SharePlace::~SharePlace()
{
    Close();
}

SharePlace::SharePlace(SharePlace&& other) noexcept
    : path_(std::exchange(other.path_, {})), device_(other.device_), inode_(other.inode_), lock_(std::move(other.lock_)),
      listener_(std::move(other.listener_)), failure_(std::move(other.failure_))
{
}

SharePlace& SharePlace::operator=(SharePlace&& other) noexcept
{
    if (this != &other) {
        Close();
        path_ = std::exchange(other.path_, {});
        device_ = other.device_;
        inode_ = other.inode_;
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
    if (const SysResult<FileFacts> made = LinkFactsAt(socketPath)) {
        path_ = socketPath;
        device_ = made.Value().device;
        inode_ = made.Value().inode;
    }
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
    RemoveOwnSocket();
    path_.clear();
    listener_.Reset();
    lock_.Reset();
}

void SharePlace::RemoveOwnSocket()
{
    if (path_.empty())
        return;
    const SysResult<FileFacts> now = LinkFactsAt(path_);
    if (now && now.Value().device == device_ && now.Value().inode == inode_)
        RemoveFile(path_);
}
