#pragma once

#include <chrono>
#include <cstddef>

// When the bytes of one read became readable, so that each record can be stamped
// by its last byte. The first ReadableAtAnchor bytes were readable at Anchor; each
// byte after them came at the earliest one byte time after the one before, as the
// line cannot deliver faster, at the latest when the read took it, and not before Since.
struct ReadPass {
    using Clock = std::chrono::steady_clock;

    Clock::time_point Since = Clock::time_point::min();
    Clock::time_point Anchor;
    std::size_t ReadableAtAnchor = 0;
    Clock::time_point ReadAt;
    std::chrono::nanoseconds ByteTime{0};  // 10 bits at the line's rate

    // The moment the byte at position (0 = the first byte of the read) became readable.
    Clock::time_point ReadableAt(std::size_t position) const;
};
