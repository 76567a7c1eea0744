#pragma once

#include <chrono>
#include <optional>

// Receives every line the record assembler accepts as a counter record.
class RecordSink {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~RecordSink() = default;
    // record points at the 18 characters of the record, followed by a terminator;
    // it stays valid only during the call.
    virtual void OnRecord(const char* record) = 0;
    // The same with the moment the record's last byte became readable. A sink
    // that does not stamp records takes them without it.
    virtual void OnRecordAt(const char* record, Clock::time_point /*readable*/) { OnRecord(record); }
    // The records of one read have all come.
    virtual void OnReadEnd() {}
    // Receive thread, before it lets bytes gather: the moment by which the next
    // records are wanted, if the sink looks at them only then; none: as soon as
    // the gathering brings them.
    virtual std::optional<Clock::time_point> WantedBy(Clock::time_point /*now*/) const { return std::nullopt; }
};
