#pragma once

#include <cstdint>

// The input and output speeds a tty reports through termios2; kept apart
// because the kernel's termios header clashes with <termios.h>.
struct TtySpeeds {
    uint32_t Input = 0;
    uint32_t Output = 0;
};
TtySpeeds ProbeTtySpeeds(int fd);
