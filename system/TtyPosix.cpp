#include "system/Tty.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "system/DeviceHolders.h"

namespace tty {

namespace {

bool HeldExclusively(int fd)
{
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

// A mark another open of the device set. A program that ended without clearing
// it (a crash, kill -9) leaves it on a terminal whose other side stays open:
// then no other open of the device exists, and the mark is taken over.
bool MarkedByAnotherOpen(int fd, const std::string& path)
{
    if (!HeldExclusively(fd))
        return false;
    const DeviceOpeners openers = ProcessesWithDeviceOpen(path, fd);
    return !openers.Pids.empty() || openers.SomeUnreadable;
}

// TIOCEXCL belongs to the terminal, not to this descriptor: a refused open must
// leave another holder's flag alone, so the flag is set only after every check
// has passed. Root passes another holder's TIOCEXCL, hence the explicit look.
bool TakeExclusive(int fd, const std::string& path)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    if (MarkedByAnotherOpen(fd, path) || ::ioctl(fd, TIOCEXCL) != 0) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    return true;
}

void MakeRaw(termios& line)
{
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                           ICRNL | IXON | IXOFF | IXANY | INPCK);
    line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
}

}  // namespace

SysResult<int> OpenExclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return LastSysError();
    const int refusal = !::isatty(fd) ? ENOTTY : !TakeExclusive(fd, path) ? EBUSY : 0;
    if (refusal != 0) {
        ::close(fd);
        return SysError{refusal};
    }
    return fd;
}

void ConfigureLine(int fd)
{
    termios line{};
    if (::tcgetattr(fd, &line) != 0)
        return;
    MakeRaw(line);
    ::tcsetattr(fd, TCSANOW, &line);
}

void CloseExclusive(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

SysResult<UniqueFd> Duplicate(int fd)
{
    UniqueFd copy(::dup(fd));
    if (!copy.Valid())
        return LastSysError();
    return copy;
}

SysStatus WriteByte(int fd, uint8_t byte)
{
    const ssize_t written = ::write(fd, &byte, 1);
    if (written == 1)
        return Done{};
    return written < 0 ? LastSysError() : SysError{EIO};
}

SysResult<std::size_t> ReadSome(int fd, uint8_t* buffer, std::size_t size)
{
    const ssize_t count = ::read(fd, buffer, size);
    if (count > 0)
        return static_cast<std::size_t>(count);
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return std::size_t{0};
    return count < 0 ? LastSysError() : SysError{EIO};
}

}  // namespace tty
