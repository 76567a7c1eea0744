#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/receive/RecordSink.h"

struct ReadPass;

inline constexpr int kRecordLength = 18;

// Turns the received byte stream into lines and passes each line that has the
// record's length and its two blanks to the sink. Constant time per byte, no
// allocation. One instance serves every connection: a line cut off by a
// disconnect prefixes the first line of the next connection.
//
// Threads: used by one receive thread at a time; the connection's stop
// protocol hands it from one thread to the next.
class RecordAssembler {
public:
    explicit RecordAssembler(RecordSink& sink);

    void FeedByte(uint8_t byte);
    // The bytes of one read in order; each record goes out with the moment its
    // line feed became readable, then the sink hears that the read is done.
    void Feed(const uint8_t* bytes, std::size_t count, const ReadPass& pass);

    // When the sink wants the next records (RecordSink::WantedBy).
    std::optional<RecordSink::Clock::time_point> WantedBy(RecordSink::Clock::time_point now) const
    {
        return sink_.WantedBy(now);
    }

    // Bytes collected since the last line feed, modulo 256.
    uint8_t Length() const { return length_; }

private:
    // Collects byte; returns the record it completes, else null.
    const char* Take(uint8_t byte);
    bool IsRecord() const;

    RecordSink& sink_;
    char buffer_[256] = {};
    uint8_t length_ = 0;  // wraps modulo 256, so it always indexes buffer_
};
