#include "app/EndSignals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

constexpr std::array<int, 3> kEndSignals{SIGTERM, SIGINT, SIGHUP};

// Set before the handlers are installed and cleared after they are restored: the
// handler, on any thread, only reads it.
std::atomic<int> writeEnd{-1};
std::array<struct sigaction, kEndSignals.size()> previous{};

void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full socket drops the byte: one already waiting ends the program all the same.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &number, 1);
    errno = savedErrno;
}

}  // namespace

EndSignals::EndSignals()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    readEnd_ = ends[0];
    writeEnd.store(ends[1]);
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kEndSignals.size(); ++i)
        ::sigaction(kEndSignals[i], &action, &previous[i]);
}

EndSignals::~EndSignals()
{
    if (readEnd_ < 0)
        return;
    for (size_t i = 0; i < kEndSignals.size(); ++i)
        ::sigaction(kEndSignals[i], &previous[i], nullptr);
    ::close(writeEnd.exchange(-1));
    delete notifier_;
    ::close(readEnd_);
}

void EndSignals::Read()
{
    unsigned char number = 0;
    while (::read(readEnd_, &number, 1) == 1) {
        if (first_ == 0)
            first_ = number;
        emit Received(number);
    }
}
