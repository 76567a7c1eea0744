#include "system/EndSignalPipe.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kEndSignals{SIGTERM, SIGINT, SIGHUP};

// Set before the handlers are installed and cleared after they are restored: the
// handler, on any thread, only reads it.
std::atomic<int> writeEnd{-1};
// The instance's thread only, between its construction and its end.
std::array<struct sigaction, kEndSignals.size()> previous{};
std::array<bool, kEndSignals.size()> installed{};

// A SIGHUP ignored at start (nohup) asks the program to outlive its terminal.
bool Wanted(int signalNumber)
{
    struct sigaction current {};
    return signalNumber != SIGHUP || ::sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler != SIG_IGN;
}

void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full socket drops the byte: one already waiting ends the program all the same.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &number, 1);
    errno = savedErrno;
}

}  // namespace

EndSignalPipe::EndSignalPipe()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    readEnd_.Reset(ends[0]);
    writeEnd.store(ends[1]);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kEndSignals.size(); ++i) {
        installed[i] = Wanted(kEndSignals[i]);
        if (installed[i])
            ::sigaction(kEndSignals[i], &action, &previous[i]);
    }
}

EndSignalPipe::~EndSignalPipe()
{
    if (!readEnd_.Valid())
        return;
    for (size_t i = 0; i < kEndSignals.size(); ++i)
        if (installed[i])
            ::sigaction(kEndSignals[i], &previous[i], nullptr);
    ::close(writeEnd.exchange(-1));
}

int EndSignalPipe::Next()
{
    unsigned char number = 0;
    return ::read(readEnd_.Get(), &number, 1) == 1 ? number : 0;
}

UniqueFd EndSignalsAsDescriptor()
{
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (const int signalNumber : kEndSignals)
        if (Wanted(signalNumber))
            sigaddset(&endSignals, signalNumber);
    ::sigprocmask(SIG_BLOCK, &endSignals, nullptr);
    return UniqueFd(::signalfd(-1, &endSignals, SFD_CLOEXEC));
}

void IgnoreWriteSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}
