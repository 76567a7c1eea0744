#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "tools/simulator/CounterSimulator.h"

// The counter sending records on a pseudo-terminal from a thread of its own,
// paced as the options say, until stopped, its count is sent or it hangs up.
class RecordFlow {
public:
    RecordFlow(CounterPty& pty, SimulatorOptions options);
    ~RecordFlow();
    RecordFlow(const RecordFlow&) = delete;
    RecordFlow& operator=(const RecordFlow&) = delete;

    // Ends the flow and waits for its thread.
    void Stop();
    bool Finished() const { return finished_.load(); }
    // The records sent; valid once Finished.
    uint64_t Sent() const { return sent_.load(); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};  // atomic: set by the flow's thread, read by the test
    std::atomic<uint64_t> sent_{0};
    std::thread thread_;
};

// 115200 baud, one fixed frequency, without end.
SimulatorOptions FastRecords(uint32_t frequency);
