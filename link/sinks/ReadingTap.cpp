#include "link/sinks/ReadingTap.h"

#include <algorithm>

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
    Push(std::span<const TappedReading>(&reading, 1));
}

void ReadingTap::Push(std::span<const TappedReading> readings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_.load(std::memory_order_relaxed))
        return;
    const size_t room = kCapacity - std::min(kCapacity, waiting_.size());
    const size_t taken = std::min(room, readings.size());
    waiting_.insert(waiting_.end(), readings.begin(), readings.begin() + static_cast<std::ptrdiff_t>(taken));
    dropped_ += readings.size() - taken;
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
