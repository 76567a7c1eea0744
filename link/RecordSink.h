#pragma once

// Receives every line the record assembler accepts as a counter record.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    // record points at the 18 characters of the record, followed by a terminator;
    // it stays valid only during the call.
    virtual void OnRecord(const char* record) = 0;
};
