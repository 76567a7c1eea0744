#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "link/receive/Reading.h"

enum class SessionEvent {
    NoData,    // no record for NoDataWatch::kInterval while the port was held
    PortLost,  // the adapter went away; the port is closed and its return awaited
    PortBack,  // the adapter is back and open; its records follow
    End,       // the session stopped; CounterSession::EndedBy tells why
};

// What a counter session hands its readings and its news to. Sinks are added
// before the session first connects and stay for its life. A sink that is
// switched on and off while records come does so through a flag or lock of its
// own, looked at once per read.
class SessionSink {
public:
    virtual ~SessionSink() = default;

    // Receive thread, once per read that completed records: those records, in
    // order. Valid only during the call; must not block.
    virtual void OnRecords(std::span<const Reading> /*readings*/) {}

    // Receive thread: the moment by which the next records are wanted, when this
    // sink looks at them only then; none: as soon as they come. Must not block.
    virtual std::optional<std::chrono::steady_clock::time_point> WantedBy(
        std::chrono::steady_clock::time_point /*now*/) const
    {
        return std::nullopt;
    }

    // Owner thread, before a receive thread starts: the records from now on
    // come from connection (counted from 1 over the session's life).
    virtual void OnReceiving(uint64_t /*connection*/) {}

    // Owner thread.
    virtual void OnEvent(SessionEvent /*event*/) {}
};
