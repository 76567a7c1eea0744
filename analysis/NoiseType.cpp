#include "analysis/NoiseType.h"

#include <algorithm>
#include <cmath>

namespace analysis {

std::string_view NoiseName(NoiseType type)
{
    switch (type) {
    case NoiseType::WhitePhase:
        return "WPM";
    case NoiseType::FlickerPhase:
        return "FPM";
    case NoiseType::WhiteFrequency:
        return "WFM";
    case NoiseType::FlickerFrequency:
        return "FFM";
    case NoiseType::RandomWalkFrequency:
        return "RWFM";
    }
    return "";
}

std::optional<NoiseType> NearestNoiseType(double alpha)
{
    if (std::isnan(alpha))
        return std::nullopt;
    return static_cast<NoiseType>(static_cast<int>(std::lround(std::clamp(alpha, -2.0, 2.0))));
}

}  // namespace analysis
