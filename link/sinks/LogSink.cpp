#include "link/sinks/LogSink.h"

#include <utility>

#include "link/sinks/RecordLog.h"

LogSink::LogSink(Capacitors capacitors) : capacitors_(std::move(capacitors)) {}

void LogSink::Set(std::shared_ptr<RecordLog> log)
{
    std::shared_ptr<RecordLog> previous;
    std::lock_guard<std::mutex> lock(mutex_);
    previous = std::exchange(log_, std::move(log));
    set_.store(log_ != nullptr, std::memory_order_release);
}

void LogSink::OnRecords(std::span<const Reading> readings)
{
    if (!IsSet())
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!log_)
        return;
    const std::optional<LogCapacitors> capacitors = capacitors_ ? capacitors_() : std::nullopt;
    for (const Reading& reading : readings)
        log_->Add(reading.Record, reading.Stamp, capacitors);
    log_->Flush();
}
