#pragma once

#include "link/sinks/RecordRow.h"
#include "stability/FrequencySample.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// One reading for a live view, as the receive thread stamped it.
struct TappedReading {
    FrequencySample sample;
    std::optional<double> inductanceUh;  // only while the L meter shows its line
    LogCapacitors capacitors;            // C1 and C2 the record was shown with
};

// Readings on their way from the receive thread to a view that looks at them a few
// times a second. Switched on only while someone looks: closed, the receive thread
// tests one atomic flag and does nothing else. The lock is held only to append one
// reading or to swap the waiting ones out, so the receive thread never waits for the
// window thread's work. Bounded: when full, new readings are counted as dropped.
class ReadingTap {
public:
    static constexpr size_t kCapacity = size_t{1} << 13;  // 14 s at 576/s

    // Window thread: keep readings from now on; nothing from before stays.
    void Open();
    // Window thread: keep none; the waiting ones are let go with their memory.
    void Close();

    // Receive thread: whether to make a reading at all.
    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    // Receive thread: ignored while closed.
    void Push(const TappedReading& reading);
    // The same for the readings of one read, under one lock.
    void Push(std::span<const TappedReading> readings);

    // Window thread: the waiting readings in order into readings (its old content is
    // dropped, its capacity kept for the next swap); returns how many were dropped
    // since the last take because the tap was full.
    uint64_t Take(std::vector<TappedReading>& readings);

private:
    std::atomic<bool> open_{false};  // written under mutex_, read without it as a hint
    std::mutex mutex_;               // guards waiting_ and dropped_
    std::vector<TappedReading> waiting_;
    uint64_t dropped_ = 0;
};
