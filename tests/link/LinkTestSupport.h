#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "link/receive/RecordSink.h"
#include "link/session/SessionSink.h"
#include "tests/link/ProcessProbes.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;

// Collects accepted records and when each became readable; the receive thread adds, the test waits.
class RecordingSink : public RecordSink {
public:
    void OnRecord(const char* record) override;
    void OnRecordAt(const char* record, Clock::time_point readable) override;
    // True once at least count records have come, false after kPatience.
    bool WaitFor(std::size_t count);
    std::vector<std::string> Records();
    std::vector<Clock::time_point> Stamps();

private:
    std::mutex mutex_;  // guards records_ and stamps_
    std::condition_variable changed_;
    std::vector<std::string> records_;
    std::vector<Clock::time_point> stamps_;
};

// What a session tells a sink: each read's stamps (receive thread) and the events
// (owner thread) but for NoData, which depends on how fast the machine is.
class SessionRecorder : public SessionSink {
public:
    void OnRecords(std::span<const Reading> readings) override;
    void OnEvent(SessionEvent event) override
    {
        if (event != SessionEvent::NoData)
            events.push_back(event);
    }
    // The elapsed stamps of each read, in order.
    std::vector<std::vector<int64_t>> Reads();

    std::vector<SessionEvent> events;

private:
    std::mutex mutex_;  // guards reads_
    std::vector<std::vector<int64_t>> reads_;
};

// Writes "[Port]\nCOM<n>=<device>" into a new ini file and returns its path.
std::string WritePortIni(const TempDir& dir, int portNumber, const std::string& device);
