#include "link/ReadingTap.h"

void ReadingTap::Open()
{
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
    waiting_.reserve(kCapacity / 16);
    dropped_ = 0;
    open_.store(true, std::memory_order_release);
}

void ReadingTap::Close()
{
    std::vector<TappedReading> released;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_.store(false, std::memory_order_release);
        released.swap(waiting_);
        dropped_ = 0;
    }
}

void ReadingTap::Push(const TappedReading& reading)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_.load(std::memory_order_relaxed))
        return;
    if (waiting_.size() >= kCapacity) {
        ++dropped_;
        return;
    }
    waiting_.push_back(reading);
}

uint64_t ReadingTap::Take(std::vector<TappedReading>& readings)
{
    readings.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    readings.swap(waiting_);
    const uint64_t dropped = dropped_;
    dropped_ = 0;
    return dropped;
}
