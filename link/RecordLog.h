#pragma once

#include "log/LogClock.h"
#include "log/LogQueue.h"
#include "link/RecordRow.h"

#include <chrono>
#include <memory>
#include <optional>

// The receive thread's end of a log: each accepted record becomes a row stamped by
// the log's clock at the moment its last byte became readable, and goes into the
// queue. Never waits for the writer.
class RecordLog {
public:
    explicit RecordLog(std::shared_ptr<LogQueue> queue) : queue_(std::move(queue)) {}

    // Returns the stamp the row got.
    LogTime Add(const char* record, const std::optional<LogCapacitors>& capacitors,
                std::chrono::steady_clock::time_point readable)
    {
        const LogTime time = clock_.At(readable);
        queue_->Push(RowFromRecord(record, time, capacitors));
        return time;
    }

private:
    LogClock clock_;  // stamped on the receive thread only
    std::shared_ptr<LogQueue> queue_;
};
