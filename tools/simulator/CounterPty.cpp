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
    master_.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_.Valid())
        Fail("posix_openpt");
    const int master = master_.Get();
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0)
        Fail("pseudo-terminal");
    slavePath_ = name;
    MakeRaw(master);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
}

CounterPty::~CounterPty()
{
    HangUp();
}

void CounterPty::HangUp()
{
    master_.Reset();
}

bool CounterPty::Write(std::string_view bytes, std::chrono::milliseconds patience,
                       const std::atomic<bool>* stop)
{
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + patience;
    while (!bytes.empty() && master_.Valid()) {
        const ssize_t written = ::write(master_.Get(), bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        const int error = written < 0 ? errno : EAGAIN;
        if (error != EAGAIN && error != EIO && error != EINTR)
            return false;
        if (Clock::now() >= giveUp || (stop != nullptr && stop->load()))
            return false;
        WaitForRoom(master_.Get(), error);
    }
    return bytes.empty();
}
