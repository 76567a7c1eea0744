#include "system/Sockets.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

static_assert(kUnixPathRoom == sizeof(sockaddr_un::sun_path));

namespace {

// As many as the share serves: a burst of connects waits here instead of being retried a second later.
constexpr int kBacklog = 64;

SocketOpened FailedAt(SocketStep step)
{
    return {LastSysError(), step};
}

SysResult<sockaddr_un> UnixAddress(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return SysError{ENAMETOOLONG};
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

SocketOpened ListenAt(const sockaddr* address, socklen_t length, int family)
{
    UniqueFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return FailedAt(SocketStep::Socket);
    if (family == AF_INET) {
        const int on = 1;
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (::bind(fd.Get(), address, length) != 0)
        return FailedAt(SocketStep::Bind);
    if (::listen(fd.Get(), kBacklog) != 0)
        return FailedAt(SocketStep::Listen);
    return {std::move(fd)};
}

}  // namespace

std::string_view CallNameOf(SocketStep step)
{
    switch (step) {
    case SocketStep::Socket:
        return "socket";
    case SocketStep::Bind:
        return "bind";
    case SocketStep::Listen:
        return "listen";
    case SocketStep::Connect:
        return "connect";
    default:
        return {};
    }
}

SocketOpened ListenOnUnixPath(const std::string& path)
{
    const SysResult<sockaddr_un> address = UnixAddress(path);
    if (!address)
        return {address.Error(), SocketStep::Path};
    return ListenAt(reinterpret_cast<const sockaddr*>(&address.Value()), sizeof(sockaddr_un), AF_UNIX);
}

SocketOpened ListenOnLoopbackPort(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ListenAt(reinterpret_cast<const sockaddr*>(&address), sizeof address, AF_INET);
}

SocketOpened ConnectToUnixPath(const std::string& path)
{
    const SysResult<sockaddr_un> address = UnixAddress(path);
    if (!address)
        return {address.Error(), SocketStep::Path};
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return FailedAt(SocketStep::Socket);
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address.Value()), sizeof(sockaddr_un)) != 0)
        return FailedAt(SocketStep::Connect);
    return {std::move(fd)};
}

SysResult<UniqueFd> AcceptConnection(int listener)
{
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return LastSysError();
    return UniqueFd(fd);
}

bool OutOfDescriptors(const SysError& error)
{
    return error.Code == EMFILE || error.Code == ENFILE || error.Code == ENOBUFS || error.Code == ENOMEM;
}

bool AcceptMayGoOn(const SysError& error)
{
    return error.Code == ECONNABORTED || error.Code == EINTR;
}

SysResult<UniqueFd> ReserveDescriptor()
{
    UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!fd.Valid())
        return LastSysError();
    return fd;
}

SysResult<unsigned> PeerUserId(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        return LastSysError();
    return static_cast<unsigned>(peer.uid);
}

bool PeerIsThisUser(int fd)
{
    const SysResult<unsigned> peer = PeerUserId(fd);
    return peer && peer.Value() == ::getuid();
}

SysResult<std::size_t> SendGathered(int fd, std::span<const std::string_view> pieces)
{
    std::array<iovec, kMaxSendPieces> gathered{};
    const std::size_t count = std::min(pieces.size(), gathered.size());
    for (std::size_t i = 0; i < count; ++i)
        gathered[i] = {const_cast<char*>(pieces[i].data()), pieces[i].size()};
    msghdr message{};
    message.msg_iov = gathered.data();
    message.msg_iovlen = count;
    const ssize_t written = ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written < 0)
        return LastSysError();
    return static_cast<std::size_t>(written);
}
