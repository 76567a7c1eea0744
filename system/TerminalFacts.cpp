#include "system/TerminalFacts.h"

#include <sys/ioctl.h>
#include <unistd.h>

bool IsTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

std::optional<std::size_t> TerminalWidth(int fd)
{
    winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return std::nullopt;
}
