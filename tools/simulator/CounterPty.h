#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

#include "system/UniqueFd.h"

// The simulated counter's end of a pseudo-terminal. The reader opens the slave
// path like a serial port; the master stays open while readers come and go.
class CounterPty {
public:
    // Throws std::system_error when no pseudo-terminal can be had.
    CounterPty();
    ~CounterPty();
    CounterPty(const CounterPty&) = delete;
    CounterPty& operator=(const CounterPty&) = delete;

    const std::string& SlavePath() const { return slavePath_; }

    // Writes all of bytes. While no reader has the slave open, or its input
    // queue is full, waits and retries; gives up (false) after patience, when
    // stop is set, or at once after HangUp.
    bool Write(std::string_view bytes,
               std::chrono::milliseconds patience = std::chrono::milliseconds(10000),
               const std::atomic<bool>* stop = nullptr);

    // Closes the master: the reader sees the device go away.
    void HangUp();
    bool IsOpen() const { return master_.Valid(); }

private:
    UniqueFd master_;
    std::string slavePath_;
};
