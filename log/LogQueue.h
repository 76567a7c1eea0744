#pragma once

#include "log/LogRow.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// Rows on their way from the receive thread to the log writer's thread. Bounded: when
// it is full the oldest row gives way to the new one and is counted as dropped, so a
// slow disk costs old rows, never the read-out. The lock is held only to move rows in
// or out; the writer does its file work after taking them.
class LogQueue {
public:
    static constexpr size_t kDefaultCapacity = size_t{1} << 16;  // about 2 minutes at 576/s

    explicit LogQueue(size_t capacity = kDefaultCapacity);

    // Any thread; ignored once the queue is closed.
    void Push(LogRow row);
    // The same for rows, moved in under one lock.
    void Push(std::vector<LogRow>& rows);
    // The writer: waits until rows are there or the queue is closed, then moves every
    // waiting row into rows. False when the queue is closed and nothing waits.
    bool WaitAndTake(std::deque<LogRow>& rows);
    // No further rows are accepted; the rows already in are still taken.
    void Close();
    // Blocks until the queue is closed or for at most duration; true when closed.
    bool WaitForClose(std::chrono::milliseconds duration);

    uint64_t Dropped() const;
    bool IsClosed() const;

private:
    const size_t capacity_;
    mutable std::mutex mutex_;  // guards everything below
    std::condition_variable rowsOrClosed_;
    std::deque<LogRow> rows_;
    uint64_t dropped_ = 0;
    bool closed_ = false;
};
