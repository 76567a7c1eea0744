#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "link/RecordSink.h"
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

// Writes "[Port]\nCOM<n>=<device>" into a new ini file and returns its path.
std::string WritePortIni(const TempDir& dir, int portNumber, const std::string& device);
