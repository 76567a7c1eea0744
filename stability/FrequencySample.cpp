#include "stability/FrequencySample.h"

#include <algorithm>
#include <cmath>

FrequencySample SampleOf(const LogRow& row)
{
    FrequencySample sample;
    sample.tS = static_cast<double>(row.elapsedUs) / 1e6;
    sample.frequencyHz = row.frequencyHz;
    sample.gateMs = row.gateMs;
    return sample;
}

int64_t StepMicroseconds(const FrequencySample& before, const FrequencySample& after)
{
    constexpr double kLimit = 9e18;  // inside int64, so llround is defined for any t_s
    return std::llround(std::clamp((after.tS - before.tS) * 1e6, -kLimit, kLimit));
}
