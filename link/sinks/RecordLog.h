#pragma once

#include "log/LogClock.h"
#include "log/LogQueue.h"
#include "link/sinks/RecordRow.h"

#include <memory>
#include <optional>
#include <vector>

// The receive thread's end of a log: accepted records become rows with the stamps
// they were given and go into the queue together, once per read. Never waits for
// the writer.
class RecordLog {
public:
    explicit RecordLog(std::shared_ptr<LogQueue> queue) : queue_(std::move(queue)) {}

    // The row of record, to go into the queue with the next Flush.
    void Add(const char* record, const LogTime& time, const std::optional<LogCapacitors>& capacitors)
    {
        rows_.push_back(RowFromRecord(record, time, capacitors));
    }

    // The rows added since the last Flush into the queue, under one lock.
    void Flush()
    {
        queue_->Push(rows_);
        rows_.clear();
    }

private:
    std::shared_ptr<LogQueue> queue_;
    std::vector<LogRow> rows_;  // the receive thread's; keeps its capacity
};
