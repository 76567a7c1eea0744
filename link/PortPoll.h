#pragma once

#include <cstddef>
#include <cstdint>

// Waiting on the port with a wake-up descriptor beside it.
namespace portpoll {

enum class Event { Data, Woken, HungUp };

// Blocks until the port has data, reports a hang-up or error, or wake becomes
// readable. Woken wins over the others.
Event WaitForPort(int portFd, int wakeFd);

// Blocks until wake becomes readable; the port is no longer looked at.
void WaitForWake(int wakeFd);

// The serial read with its timeouts: it ends after size bytes, after
// kIntervalMs without a byte once one has come, or after
// kTotalPerByteMs x size + kTotalConstantMs in all; early when woken or hung up.
inline constexpr int kIntervalMs = 100;
inline constexpr int kTotalPerByteMs = 10;
inline constexpr int kTotalConstantMs = 10;

struct ReadResult {
    std::size_t Count = 0;
    bool Woken = false;
    bool HungUp = false;
};

ReadResult ReadWithTimeouts(int portFd, int wakeFd, uint8_t* buffer, std::size_t size);

}  // namespace portpoll
