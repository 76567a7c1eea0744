#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Reads the fuzzer's input from the front: fixed-size values first, the rest
// as the stream or file under test. A value past the end reads as zero bytes,
// so every input, even an empty one, is usable.
class FuzzBytes {
public:
    explicit FuzzBytes(std::span<const uint8_t> data) : data_(data) {}

    uint8_t TakeByte();
    // Eight bytes as the raw pattern of a double: NaN, infinities and
    // subnormals come out as often as ordinary numbers.
    double TakeDouble();

    std::span<const uint8_t> Rest() const { return data_; }
    std::string RestAsString() const;

private:
    std::span<const uint8_t> data_;
};
