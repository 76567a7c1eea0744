#include "log/LogQueue.h"

LogQueue::LogQueue(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

void LogQueue::Push(LogRow row)
{
    std::vector<LogRow> rows;
    rows.push_back(std::move(row));
    Push(rows);
}

void LogQueue::Push(std::vector<LogRow>& rows)
{
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_ || rows.empty())
            return;
        wasEmpty = rows_.empty();
        for (LogRow& row : rows) {
            if (rows_.size() == capacity_) {
                rows_.pop_front();
                ++dropped_;
            }
            rows_.push_back(std::move(row));
        }
    }
    if (wasEmpty)
        rowsOrClosed_.notify_one();
}

bool LogQueue::WaitAndTake(std::deque<LogRow>& rows)
{
    rows.clear();
    std::unique_lock<std::mutex> lock(mutex_);
    rowsOrClosed_.wait(lock, [this] { return closed_ || !rows_.empty(); });
    rows.swap(rows_);
    return !rows.empty();
}

void LogQueue::Close()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    rowsOrClosed_.notify_all();
}

bool LogQueue::WaitForClose(std::chrono::milliseconds duration)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return rowsOrClosed_.wait_for(lock, duration, [this] { return closed_; });
}

uint64_t LogQueue::Dropped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

bool LogQueue::IsClosed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}
