#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/receive/ReadPass.h"

// Decides, read by read, how the receive thread takes the port, and when the bytes
// it took became readable.
//
// A quiet line: the thread sleeps until the first byte and reads at once, so every
// byte of that read was readable the moment the wait returned. Bytes already
// waiting when the wait began (the thread came late) are placed as a busy line's.
// A busy line (the bytes came as fast as the bit rate allows since the last byte
// taken): the thread lets about kGather of them gather before it reads, ending
// the gathering just after a whole record should have come. The bytes are then
// placed one byte time apart after the last byte taken. A read that finds them
// more than kLagLimit behind that pace means the line paused: the next read waits
// for a first byte again. At 115 200 baud this is one wake-up per four records.
class ReadPacer {
public:
    using Clock = ReadPass::Clock;
    static constexpr std::chrono::microseconds kGather{7000};
    // The longest gathering, when the records are wanted only later.
    static constexpr std::chrono::microseconds kLongestGather{40000};
    static constexpr std::chrono::microseconds kLagLimit{1000};
    // After the record's expected end, so that a read finds it complete.
    static constexpr std::chrono::microseconds kReadMargin{200};
    // A wait for the first byte that returned sooner found it there already.
    static constexpr std::chrono::microseconds kSlept{100};

    // A wait for the first byte: when it began and when it returned.
    struct FirstByteWait {
        Clock::time_point Began;
        Clock::time_point Returned;
    };

    // bitsPerSecond 0 (not known): every read waits for a first byte.
    explicit ReadPacer(uint32_t bitsPerSecond);

    // Whether the next read lets bytes gather instead of waiting for a first one.
    bool Gathering() const { return gathering_; }
    // When a gathering read is due, given that it is now now: after about kGather,
    // or by wanted when the records are wanted later (at most kLongestGather).
    Clock::time_point GatherUntil(Clock::time_point now, std::optional<Clock::time_point> wanted = {}) const;

    // A read took count bytes at readAt after wait, the wait for its first byte;
    // none for a gathering read. Returns when each byte became readable.
    ReadPass Took(std::optional<FirstByteWait> wait, Clock::time_point readAt, std::size_t count);

private:
    std::chrono::nanoseconds byteTime_;
    std::chrono::nanoseconds recordTime_;
    bool gathering_ = false;
    std::optional<Clock::time_point> lastByte_;  // when the last byte taken became readable
    std::optional<Clock::time_point> lastRead_;
};
