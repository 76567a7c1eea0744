#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "tests/link/TtySpeedProbe.h"

TtySpeeds ProbeTtySpeeds(int fd)
{
    termios2 line{};
    if (::ioctl(fd, TCGETS2, &line) != 0)
        return {};
    return {line.c_ispeed, line.c_ospeed};
}
