#include "tools/simulator/PacketPacer.h"

#include <cstdint>
#include <utility>

std::vector<PacketPacer::Packet> PacketPacer::Add(std::string_view bytes, Clock::time_point start,
                                                  Clock::duration length)
{
    if (packetBytes_ == 0)
        return {{start, std::string(bytes)}};
    std::vector<Packet> packets;
    const auto count = static_cast<int64_t>(bytes.size());
    for (int64_t i = 0; i < count; ++i) {
        held_ += bytes[static_cast<std::size_t>(i)];
        if (held_.size() < packetBytes_)
            continue;
        packets.push_back({start + length * (i + 1) / count, std::move(held_)});
        held_.clear();
    }
    return packets;
}

std::string PacketPacer::Flush()
{
    std::string bytes = std::move(held_);
    held_.clear();
    return bytes;
}
