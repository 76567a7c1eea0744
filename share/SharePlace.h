#pragma once

#include <string>

#include "system/Sockets.h"
#include "system/SysResult.h"
#include "system/UniqueFd.h"

// Where a program that holds a device serves its readings: the folder
// $XDG_RUNTIME_DIR/pelmora, or /tmp/pelmora-<uid> where that variable is unset
// or empty, and in it <device>.sock named as the device's lock file is
// ("ttyUSB0.sock", "pts_3.sock").
std::string ShareFolder();
std::string SocketPathFor(const std::string& folder, const std::string& devicePath);

// Makes folder (mode 0700) when it is missing. Empty when it is fit to serve
// from: a real folder of this user with mode 0700; else why not.
std::string PrepareShareFolder(const std::string& folder);

// Why a socket could not be served: the call or the file that failed, and its error.
struct SocketFailure {
    std::string subject;
    SysError error;
};

// The failure of opened, named by the call that failed, or by path where the path did not fit.
SocketFailure FailureOf(const SocketOpened& opened, const std::string& path);
// "bind: Address already in use", "<path>: the path is too long".
std::string SocketFailureText(const SocketFailure& failure);

// The listening Unix socket at one path (mode 0600), held under an advisory
// lock on "<path>.lock" beside it: a socket found there while the lock is free
// was left by a program that ended without removing it, and is replaced. The
// lock file stays; the socket is removed when this goes.
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
    // Removes the socket and lets go of the lock.
    void Close();
    // Why Open failed.
    const SocketFailure& Failure() const { return failure_; }

private:
    Result Refuse(SocketFailure failure);

    std::string path_;  // the socket this created, empty when none
    UniqueFd lock_;
    UniqueFd listener_;
    SocketFailure failure_;
};
