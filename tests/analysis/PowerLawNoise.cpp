#include "tests/analysis/PowerLawNoise.h"

#include <random>

std::vector<double> PowerLawNoise(int alpha, size_t count, uint64_t seed)
{
    std::mt19937_64 random(seed);
    std::normal_distribution<double> gaussian;
    std::vector<double> white(count);
    for (double& w : white)
        w = gaussian(random);
    std::vector<double> filter{1.0};
    while (filter.size() < count && filter.back() != 0.0) {
        const double k = static_cast<double>(filter.size());
        filter.push_back(filter.back() * (k - 1 - alpha / 2.0) / k);
    }
    std::vector<double> y(count, 0.0);
    for (size_t i = 0; i < count; ++i)
        for (size_t k = 0; k < filter.size() && k <= i; ++k)
            y[i] += filter[k] * white[i - k];
    return y;
}
