#include "tools/simulator/CounterPty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// The master side passes bytes through untouched.
void MakeRaw(int fd)
{
    termios line{};
    if (::tcgetattr(fd, &line) == 0) {
        ::cfmakeraw(&line);
        ::tcsetattr(fd, TCSANOW, &line);
    }
}

// A full queue is waited on; without a reader (EIO, or a hang-up that poll
// reports at once) poll cannot tell when one comes: look again a little later.
void WaitForRoom(int master, int error)
{
    constexpr int kRetryMs = 100;
    pollfd fd{master, POLLOUT, 0};
    if (error != EAGAIN || (::poll(&fd, 1, kRetryMs) > 0 && (fd.revents & POLLHUP) != 0))
        ::poll(nullptr, 0, kRetryMs);
}

}  // namespace

CounterPty::CounterPty()
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        Fail("posix_openpt");
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        const int error = errno;
        ::close(master_);
        errno = error;
        Fail("pseudo-terminal");
    }
    slavePath_ = name;
    MakeRaw(master_);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

CounterPty::~CounterPty()
{
    HangUp();
}

void CounterPty::HangUp()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

bool CounterPty::Write(std::string_view bytes, std::chrono::milliseconds patience,
                       const std::atomic<bool>* stop)
{
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + patience;
    while (!bytes.empty() && master_ >= 0) {
        const ssize_t written = ::write(master_, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        const int error = written < 0 ? errno : EAGAIN;
        if (error != EAGAIN && error != EIO && error != EINTR)
            return false;
        if (Clock::now() >= giveUp || (stop != nullptr && stop->load()))
            return false;
        WaitForRoom(master_, error);
    }
    return bytes.empty();
}
