#pragma once

#include <cstdint>
#include <span>

#include "link/Reading.h"

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

    // Owner thread, before a receive thread starts: the records from now on
    // come from connection (counted from 1 over the session's life).
    virtual void OnReceiving(uint64_t /*connection*/) {}

    // Owner thread.
    virtual void OnEvent(SessionEvent /*event*/) {}
};
