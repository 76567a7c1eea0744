#include "statistics/MovingAverage.h"

#include <algorithm>
#include <numeric>

MovingAverage::Value MovingAverage::Of(uint32_t n) const
{
    const auto used = static_cast<uint32_t>(std::min<size_t>({n, kLongest, last_.size()}));
    if (used == 0)
        return {};
    // Summed as offsets from the newest reading, so ten-megahertz readings keep their hertz.
    const double newest = last_.back();
    const long double sum = std::accumulate(last_.end() - used, last_.end(), 0.0L,
                                            [newest](long double total, double hz) {
                                                return total + (hz - newest);
                                            });
    return {newest + static_cast<double>(sum / used), used};
}
