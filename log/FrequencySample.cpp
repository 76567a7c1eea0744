#include "log/FrequencySample.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

FrequencySample SampleOf(const LogRow& row)
{
    FrequencySample sample;
    sample.tS = static_cast<double>(row.elapsedMs) / 1000.0;
    sample.frequencyHz = row.frequencyHz;
    sample.gateMs = row.gateMs;
    return sample;
}

int64_t StepMicroseconds(const FrequencySample& before, const FrequencySample& after)
{
    constexpr double kLimit = 9e18;  // inside int64, so llround is defined for any t_s
    return std::llround(std::clamp((after.tS - before.tS) * 1e6, -kLimit, kLimit));
}

SegmentBreak BreakBetween(const FrequencySample& before, const FrequencySample& after,
                          double tau0Us)
{
    const int64_t step = StepMicroseconds(before, after);
    if (step <= 0)
        return SegmentBreak::Restart;
    if (static_cast<double>(step) > 1.5 * tau0Us)
        return SegmentBreak::Gap;
    if (before.gateMs != after.gateMs)
        return SegmentBreak::GateChange;
    return SegmentBreak::None;
}

double MedianPositiveStepUs(std::span<const FrequencySample> samples)
{
    std::vector<int64_t> steps;
    steps.reserve(samples.size());
    for (size_t i = 1; i < samples.size(); ++i) {
        const int64_t step = StepMicroseconds(samples[i - 1], samples[i]);
        if (step > 0)
            steps.push_back(step);
    }
    if (steps.empty())
        return std::numeric_limits<double>::quiet_NaN();
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    const auto upper = static_cast<double>(*middle);
    if (steps.size() % 2 == 1)
        return upper;
    const auto lower = static_cast<double>(*std::max_element(steps.begin(), middle));
    return (lower + upper) / 2.0;
}
