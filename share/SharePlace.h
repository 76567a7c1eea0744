#pragma once

#include <cstdint>
#include <string>

#include "share/ShareFolder.h"
#include "system/SysResult.h"
#include "system/UniqueFd.h"

// The listening Unix socket at one path (mode 0600), held under an advisory
// lock on "<path>.lock" beside it: a socket found there while the lock is free
// was left by a program that ended without removing it, and is replaced. The
// lock file stays; when this goes, the socket is removed if it is still the one
// this made (the same device and inode), whatever else stands at its path then.
class SharePlace {
public:
    SharePlace() = default;
    ~SharePlace();
    SharePlace(SharePlace&& other) noexcept;
    SharePlace& operator=(SharePlace&& other) noexcept;

    enum class Result { Listening, Clash, Failed };
    // Clash: another running program serves that path.
    Result Open(const std::string& socketPath);
    // The listening descriptor, handed over to whoever accepts on it.
    UniqueFd TakeListener() { return std::move(listener_); }
    // Removes the socket this made and lets go of the lock.
    void Close();
    // Why Open failed.
    const SocketFailure& Failure() const { return failure_; }

private:
    Result Refuse(SocketFailure failure);
    void RemoveOwnSocket();

    std::string path_;  // the socket this created, empty when none
    uint64_t device_ = 0;  // and its file's identity
    uint64_t inode_ = 0;
    UniqueFd lock_;
    UniqueFd listener_;
    SocketFailure failure_;
};
