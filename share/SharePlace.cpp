#include "share/SharePlace.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

#include "link/UucpLock.h"

namespace {

constexpr int kBacklog = 16;

std::string SystemError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

UniqueFd ListenAt(const sockaddr* address, socklen_t length, int family, std::string& error)
{
    UniqueFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid())
        return error = SystemError("socket"), UniqueFd();
    if (family == AF_INET) {
        const int on = 1;
        ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (::bind(fd.Get(), address, length) != 0)
        return error = SystemError("bind"), UniqueFd();
    if (::listen(fd.Get(), kBacklog) != 0)
        return error = SystemError("listen"), UniqueFd();
    return fd;
}

}  // namespace

std::string ShareFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/pelmora";
    return "/tmp/pelmora-" + std::to_string(::getuid());
}

std::string SocketPathFor(const std::string& folder, const std::string& devicePath)
{
    return folder + "/" + UucpLock::DeviceName(devicePath) + ".sock";
}

std::string PrepareShareFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return SystemError(folder.c_str());
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0)
        return SystemError(folder.c_str());
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid() || (status.st_mode & 07777) != 0700)
        return folder + " is not a folder of this user with mode 0700";
    return {};
}

SharePlace::~SharePlace()
{
    Close();
}

SharePlace::SharePlace(SharePlace&& other) noexcept
    : path_(std::exchange(other.path_, {})), lock_(std::move(other.lock_)),
      listener_(std::move(other.listener_)), error_(std::move(other.error_))
{
}

SharePlace& SharePlace::operator=(SharePlace&& other) noexcept
{
    if (this != &other) {
        Close();
        path_ = std::exchange(other.path_, {});
        lock_ = std::move(other.lock_);
        listener_ = std::move(other.listener_);
        error_ = std::move(other.error_);
    }
    return *this;
}

SharePlace::Result SharePlace::Open(const std::string& socketPath)
{
    Close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return error_ = socketPath + ": the path is too long", Result::Failed;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const std::string lockPath = socketPath + ".lock";
    UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.Valid())
        return error_ = SystemError(lockPath.c_str()), Result::Failed;
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? Result::Clash : (error_ = SystemError(lockPath.c_str()), Result::Failed);
    // Under the lock, a socket at the path is a dead program's.
    ::unlink(socketPath.c_str());
    listener_ = ListenAt(reinterpret_cast<const sockaddr*>(&address), sizeof address, AF_UNIX, error_);
    if (!listener_.Valid())
        return Result::Failed;
    path_ = socketPath;
    ::chmod(socketPath.c_str(), 0600);
    lock_ = std::move(lock);
    return Result::Listening;
}

void SharePlace::Close()
{
    if (!path_.empty())
        ::unlink(path_.c_str());
    path_.clear();
    listener_.Reset();
    lock_.Reset();
}

UniqueFd ListenOnLoopback(int port, std::string& error)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ListenAt(reinterpret_cast<const sockaddr*>(&address), sizeof address, AF_INET, error);
}
