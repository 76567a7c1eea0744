#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "system/SysResult.h"
#include "system/UniqueFd.h"

// The stream sockets the share serves on and pelmora-log attaches with.

// Room for a Unix socket's path, its ending zero byte included.
inline constexpr std::size_t kUnixPathRoom = 108;

// The call that failed while a socket was set up, which the user's message names.
enum class SocketStep { None, Path, Socket, Bind, Listen, Connect };

struct SocketOpened {
    SysResult<UniqueFd> socket;
    SocketStep failedAt = SocketStep::None;
};

// "socket", "bind", "listen", "connect"; empty for None and Path.
std::string_view CallNameOf(SocketStep step);

// Listening and non-blocking at path; ENAMETOOLONG at Path when it does not fit.
SocketOpened ListenOnUnixPath(const std::string& path);
// Listening and non-blocking on 127.0.0.1:port, the address reused.
SocketOpened ListenOnLoopbackPort(int port);
// Connected, blocking, to the socket at path; ENAMETOOLONG at Path as above.
SocketOpened ConnectToUnixPath(const std::string& path);

// The next connection waiting on listener, non-blocking; WouldBlock when none waits.
SysResult<UniqueFd> AcceptConnection(int listener);
// The accept failed for want of a descriptor or memory, not because of the connection.
bool OutOfDescriptors(const SysError& error);
// The connection went away before it was accepted, or a signal came: the next may be taken.
bool AcceptMayGoOn(const SysError& error);
// A descriptor that stands for nothing, held to be let go when descriptors run out.
SysResult<UniqueFd> ReserveDescriptor();
// The user the process at the other end of a Unix socket ran as when it connected or listened.
SysResult<unsigned> PeerUserId(int fd);
// The process at the other end of a Unix socket runs as this program's user.
bool PeerIsThisUser(int fd);
// The most pieces one SendGathered hands over.
inline constexpr std::size_t kMaxSendPieces = 64;
// As much of pieces (the first kMaxSendPieces), in order, as the socket takes now
// in one call; never waits and never raises SIGPIPE.
SysResult<std::size_t> SendGathered(int fd, std::span<const std::string_view> pieces);
