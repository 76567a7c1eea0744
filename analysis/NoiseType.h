#pragma once

#include <optional>
#include <string_view>

namespace analysis {

// The five power-law noises of an oscillator, named by the exponent alpha of the
// spectral density of its fractional frequency, S_y(f) ~ f^alpha.
enum class NoiseType {
    WhitePhase = 2,
    FlickerPhase = 1,
    WhiteFrequency = 0,
    FlickerFrequency = -1,
    RandomWalkFrequency = -2,
};

inline int Alpha(NoiseType type) { return static_cast<int>(type); }

// WPM, FPM, WFM, FFM or RWFM.
std::string_view NoiseName(NoiseType type);

// The noise type nearest to an estimated alpha, clamped to 2 ... -2; none for NaN.
std::optional<NoiseType> NearestNoiseType(double alpha);

}  // namespace analysis
