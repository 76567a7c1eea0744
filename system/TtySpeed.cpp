// termios2 lives in the kernel's header, which clashes with <termios.h>: this
// file includes nothing else that pulls that one in.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "system/Tty.h"

namespace tty {

void SetBitRate(int fd, uint32_t bitsPerSecond)
{
    termios2 line{};
    if (::ioctl(fd, TCGETS2, &line) != 0)
        return;
    line.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = bitsPerSecond;
    line.c_ospeed = bitsPerSecond;
    ::ioctl(fd, TCSETS2, &line);
}

uint32_t BitRate(int fd)
{
    termios2 line{};
    if (::ioctl(fd, TCGETS2, &line) != 0)
        return 0;
    return line.c_ispeed;
}

}  // namespace tty
