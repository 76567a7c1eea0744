#pragma once

#include <span>

#include "system/SysResult.h"

// One descriptor in a wait: what to wait for, and after the wait what it reported.
struct Watched {
    int fd = -1;  // negative: not looked at
    bool read = false;
    bool write = false;

    bool readable = false;
    bool writable = false;
    bool hungUp = false;   // a hang-up or an error
    bool stirred = false;  // anything at all, also an invalid descriptor
};

// Blocks until one of watched stirs, or timeoutMs passes (negative: no limit).
// How many stirred, 0 after the timeout; EINTR when a signal came first.
SysResult<int> WaitForDescriptors(std::span<Watched> watched, int timeoutMs);
