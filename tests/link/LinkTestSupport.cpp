#include "tests/link/LinkTestSupport.h"

#include <fstream>

void RecordingSink::OnRecord(const char* record)
{
    std::lock_guard lock(mutex_);
    records_.emplace_back(record);
    changed_.notify_all();
}

void RecordingSink::OnRecordAt(const char* record, Clock::time_point readable)
{
    std::lock_guard lock(mutex_);
    stamps_.push_back(readable);
    records_.emplace_back(record);
    changed_.notify_all();
}

std::vector<RecordSink::Clock::time_point> RecordingSink::Stamps()
{
    std::lock_guard lock(mutex_);
    return stamps_;
}

bool RecordingSink::WaitFor(std::size_t count)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return records_.size() >= count; });
}

std::vector<std::string> RecordingSink::Records()
{
    std::lock_guard lock(mutex_);
    return records_;
}

void SessionRecorder::OnRecords(std::span<const Reading> readings)
{
    std::vector<int64_t> stamps;
    for (const Reading& reading : readings)
        stamps.push_back(reading.Stamp.elapsedUs);
    std::lock_guard lock(mutex_);
    reads_.push_back(std::move(stamps));
}

std::vector<std::vector<int64_t>> SessionRecorder::Reads()
{
    std::lock_guard lock(mutex_);
    return reads_;
}

std::string WritePortIni(const TempDir& dir, int portNumber, const std::string& device)
{
    const std::string path = dir.File("Pelmora.ini");
    std::ofstream(path) << "[Port]\nPortNumber=" << portNumber << "\nCOM" << portNumber << "="
                        << device << "\n";
    return path;
}
