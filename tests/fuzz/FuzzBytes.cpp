#include "tests/fuzz/FuzzBytes.h"

#include <algorithm>
#include <array>
#include <cstring>

uint8_t FuzzBytes::TakeByte()
{
    if (data_.empty())
        return 0;
    const uint8_t byte = data_.front();
    data_ = data_.subspan(1);
    return byte;
}

double FuzzBytes::TakeDouble()
{
    std::array<uint8_t, sizeof(double)> raw{};
    const std::size_t count = std::min(raw.size(), data_.size());
    std::copy_n(data_.begin(), count, raw.begin());
    data_ = data_.subspan(count);
    double value = 0.0;
    std::memcpy(&value, raw.data(), sizeof value);
    return value;
}

std::string FuzzBytes::RestAsString() const
{
    return {reinterpret_cast<const char*>(data_.data()), data_.size()};
}
