#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// count fractional frequencies with S_y(f) ~ f^alpha, by N. J. Kasdin and T. Walter,
// "Discrete simulation of power law noise", 1992: seeded white Gaussian noise through
// the filter h[0] = 1, h[k] = h[k-1] (k - 1 - alpha/2) / k.
std::vector<double> PowerLawNoise(int alpha, size_t count, uint64_t seed);
