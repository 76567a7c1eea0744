#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The twelve line speeds in bits per second, in the order of the port
// dialog's speed list: a speed index from the dialog indexes this table.
class BaudRateTable {
public:
    static constexpr int kSize = 12;

    static constexpr std::array<uint32_t, kSize> kRates = {
        110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200};

    static constexpr bool IsValidIndex(int index) { return index >= 0 && index < kSize; }

    // The speed at index, or nothing for an index outside 0-11 (a dialog left
    // without a selection gives -1, a hand-edited settings file anything).
    static constexpr std::optional<uint32_t> At(int index)
    {
        if (!IsValidIndex(index))
            return std::nullopt;
        return kRates[static_cast<std::size_t>(index)];
    }
};
