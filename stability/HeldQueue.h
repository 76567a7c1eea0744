#pragma once

#include <boost/circular_buffer.hpp>

#include <algorithm>
#include <cstddef>

// A first-in first-out queue of the readings or deliveries held back for a decision.
// It slides through one ring that only grows (the tracker bounds what it holds), so a
// queue that fills and empties once a reading allocates nothing after its first items;
// a std::deque frees and takes a block every few hundred bytes as it slides.
template <typename T>
class HeldQueue {
public:
    void PushBack(const T& item)
    {
        if (ring_.full())
            ring_.set_capacity(std::max<std::size_t>(16, 2 * ring_.capacity()));
        ring_.push_back(item);
    }
    void PopFront() { ring_.pop_front(); }
    const T& Front() const { return ring_.front(); }
    bool Empty() const { return ring_.empty(); }
    void Clear() { ring_.clear(); }
    auto begin() const { return ring_.begin(); }
    auto end() const { return ring_.end(); }

private:
    boost::circular_buffer<T> ring_;
};
