#pragma once

#include <mutex>

#include "display/FontImages.h"
#include "display/GlyphMetrics.h"
#include "display/ReadoutText.h"

// Everything the receive thread and the window thread both touch to show the
// read-out: the texts, the indicator, the metrics, the L-meter flag and the
// font and back-buffer images.
struct ReadoutState {
    ReadoutText Text;
    ActivityIndicator Indicator;
    GlyphMetrics Metrics;
    int32_t LMeterVisible = 0;
    FontImages Images;
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
    std::mutex mutex_;  // guards state_, and AppSettings::C1/C2 while the link runs
    ReadoutState state_;
};
