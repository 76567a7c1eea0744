#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// When the bytes of the simulated line reach the reader. Each record's bytes leave the
// line evenly over its time. Without a packet size the reader gets them all at once,
// at the record's start; with one it gets them in whole packets of that size, each
// when its last byte has left the line, as a USB serial adapter delivers them.
class PacketPacer {
public:
    using Clock = std::chrono::steady_clock;
    struct Packet {
        Clock::time_point due;
        std::string bytes;
    };

    // packetBytes 0: no packets.
    explicit PacketPacer(std::size_t packetBytes) : packetBytes_(packetBytes) {}

    // The packets that bytes leaving the line over [start, start + length) complete.
    std::vector<Packet> Add(std::string_view bytes, Clock::time_point start,
                            Clock::duration length);
    // The bytes held back in an unfinished packet; an adapter sends them once the line
    // falls silent.
    std::string Flush();

private:
    std::size_t packetBytes_;
    std::string held_;
};
