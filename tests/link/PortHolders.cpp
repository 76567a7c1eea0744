#include "tests/link/PortHolders.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/Wait.h"

namespace {

constexpr uid_t kNobody = 65534;

bool MakeCooked(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    settings.c_lflag |= ECHO | ICANON;
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool TakeHold(int fd, Hold how)
{
    switch (how) {
    case Hold::ExclusiveMark:
        return ::ioctl(fd, TIOCEXCL) == 0;
    case Hold::FlockAlone:
        return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    case Hold::Terminal:
        return MakeCooked(fd);
    }
    return false;
}

// The child's status once it ended within kPatience; -1 (and killed) otherwise.
int Reaped(pid_t child)
{
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; })) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    return status;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

// Dumpable again after the switch, as a program nobody started is: its /proc/<pid>/fd is nobody's.
bool BecomeNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
           ::prctl(PR_SET_DUMPABLE, 1) == 0;
}

}  // namespace

HoldingProcess::HoldingProcess(const std::string& device, Hold how, bool asNobody)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_NAME, kHolderName);
        // What it inherited, such as the test's pseudo-terminal masters, would outlive a hang-up.
        ::dup2(ready[1], 3);
        ::close_range(4, ~0u, 0);
        ready[1] = 3;
        if (asNobody && !BecomeNobody())
            ::_exit(9);
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        const char held = fd >= 0 && TakeHold(fd, how) ? 1 : 0;
        if (::write(ready[1], &held, 1) != 1 || held == 0)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char held = 0;
    holds_ = pid_ > 0 && ::read(ready[0], &held, 1) == 1 && held == 1;
    ::close(ready[0]);
}

HoldingProcess::~HoldingProcess()
{
    End();
}

void HoldingProcess::End()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

bool LeaveExclusiveMark(const std::string& device)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        ::_exit(fd >= 0 && ::ioctl(fd, TIOCEXCL) == 0 ? 0 : 1);
    }
    const int status = Reaped(child);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string AsNobody(const std::function<std::string()>& act)
{
    int out[2];
    if (::pipe(out) != 0)
        return "<child failed>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (!BecomeNobody())
            ::_exit(9);
        const std::string text = act();
        const bool written = ::write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(out[1]);
    const int status = Reaped(child);
    const std::string text = ReadAll(out[0]);
    ::close(out[0]);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? text : "<child failed>";
}

bool MarkedExclusive(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    int exclusive = 0;
    const bool marked = fd >= 0 && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
    if (fd >= 0)
        ::close(fd);
    return marked;
}
