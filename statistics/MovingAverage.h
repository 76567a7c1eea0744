#pragma once

#include <boost/circular_buffer.hpp>

#include <cstdint>
#include <limits>

// The mean of the last n readings, for n up to kLongest: each reading costs a constant
// time, the mean is summed when asked for (a few times a second).
class MovingAverage {
public:
    static constexpr uint32_t kLongest = 1000;

    struct Value {
        double hz = std::numeric_limits<double>::quiet_NaN();
        uint32_t readings = 0;  // averaged: n, or fewer at the start
    };

    MovingAverage() : last_(kLongest) {}

    void Add(double hz) { last_.push_back(hz); }
    void Clear() { last_.clear(); }
    // The mean of the last min(n, kLongest) readings; NaN before the first.
    Value Of(uint32_t n) const;

private:
    boost::circular_buffer<double> last_;
};
