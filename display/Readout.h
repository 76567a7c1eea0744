#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include <QRegion>

#include "display/FontImages.h"
#include "display/GlyphMetrics.h"
#include "display/ReadoutText.h"

// What the last compose drew into the back buffer, so that the next one
// redraws only the cells whose code changed. Any change of the images (seen
// through their cache keys, which every non-const access renews), of the cell
// size or of the L-meter flag makes the next compose a full one.
struct ComposeMemory {
    static constexpr int kSlots = 63;  // 11 large digits, 4 small cells, two rows of 24
    std::array<int16_t, kSlots> Codes{};
    int64_t FontKey = 0;
    int64_t BackKey = 0;
    uint16_t CellWidth = 0;
    uint16_t CellHeight = 0;
    int32_t LMeterVisible = 0;
    bool Valid = false;
};

// Everything the receive thread and the window thread both touch to show the
// read-out: the texts, the indicator, the metrics, the L-meter flag and
// capacitors, and the font and back-buffer images.
struct ReadoutState {
    ReadoutText Text;
    ActivityIndicator Indicator;
    GlyphMetrics Metrics;
    int32_t LMeterVisible = 0;
    // The L meter's capacitors in µF; the window copies them from the settings
    // at start and back at exit, the receive thread reads them for each record.
    double C1 = 0.0;
    double C2 = 0.0;
    FontImages Images;
    ComposeMemory Composed;
    // Back-buffer cells changed by composes since the window last took them.
    QRegion Dirty;
};

// The one way into ReadoutState. Nobody may hold the lock while stopping the
// receive thread, and the receive thread never waits for the window thread
// while holding it.
class Readout {
public:
    template <class Fn>
    decltype(auto) With(Fn&& fn)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return fn(state_);
    }

private:
    std::mutex mutex_;  // guards state_
    ReadoutState state_;
};
