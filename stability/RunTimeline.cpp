#include "stability/RunTimeline.h"

#include <cmath>

std::vector<double> RunTimeline(std::span<const FrequencySample> samples,
                                const StabilitySummary& summary)
{
    std::vector<double> x(samples.size());
    if (samples.empty())
        return x;
    const double spacing = std::isfinite(summary.tau0S) ? summary.tau0S : 1.0;
    double offset = -samples.front().tS;
    size_t from = 0;
    for (const SegmentStart& start : summary.segmentStarts) {
        if (start.reason != SegmentBreak::Restart || start.index >= samples.size())
            continue;
        for (size_t i = from; i < start.index; ++i)
            x[i] = samples[i].tS + offset;
        offset = x[start.index - 1] + spacing - samples[start.index].tS;
        from = start.index;
    }
    for (size_t i = from; i < samples.size(); ++i)
        x[i] = samples[i].tS + offset;
    return x;
}
