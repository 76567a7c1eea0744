#pragma once

#include <string>

#include "system/Sockets.h"
#include "system/SysResult.h"
#include "system/UniqueFd.h"

// Where a program that holds a device serves its readings, and the rule both
// ends of the stream apply before they trust it: the folder
// $XDG_RUNTIME_DIR/pelmora, or /tmp/pelmora-<uid> where that variable is unset
// or empty, and in it <device>.sock named as the device's lock file is
// ("ttyUSB0.sock", "pts_3.sock").
std::string ShareFolder();
std::string SocketPathFor(const std::string& folder, const std::string& devicePath);

// Why no stream may be served from or read in folder; empty when it is fit: a
// real folder of this user with mode 0700, below folders no other user can
// change (each is root's or this user's and no one else may write in it, or it
// is sticky, as /tmp is), so that nobody else can make, swap or reach it.
std::string ShareFolderRefusal(const std::string& folder);
// Makes folder (mode 0700) when it is missing, then ShareFolderRefusal.
std::string PrepareShareFolder(const std::string& folder);

// Why a socket could not be served or reached: the call or the file that failed, and its error.
struct SocketFailure {
    std::string subject;
    SysError error;
};

// The failure of opened, named by the call that failed, or by path where the path did not fit.
SocketFailure FailureOf(const SocketOpened& opened, const std::string& path);
// "bind: Address already in use", "<path>: the path is too long".
std::string SocketFailureText(const SocketFailure& failure);

// The stream at socketPath, as the attaching end takes it.
struct ShareConnection {
    enum class Reach { Connected, NobodyServes, Refused };
    Reach reach = Reach::NobodyServes;
    UniqueFd socket;  // connected and blocking when Connected
    // NobodyServes: the failed call ("<path>: No such file or directory");
    // Refused: why the folder or the serving process is not trusted.
    std::string why;
};
// Connected only when the folder passes ShareFolderRefusal (a missing folder:
// nobody serves) and the serving process runs as this user; nothing is read from it here.
ShareConnection ConnectToShare(const std::string& socketPath);
