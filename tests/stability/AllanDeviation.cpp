#include "tests/stability/AllanDeviation.h"

#include <cmath>
#include <limits>

DeviationSums& DeviationSums::operator+=(const DeviationSums& other)
{
    sumSquares += other.sumSquares;
    terms += other.terms;
    return *this;
}

double DeviationSums::Deviation() const
{
    if (terms == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return std::sqrt(sumSquares / (2.0 * static_cast<double>(terms)));
}

AllanDeviation::AllanDeviation(std::span<const double> y)
{
    if (y.empty())
        return;
    long double total = 0.0L;
    for (const double value : y)
        total += value;
    const long double mean = total / static_cast<long double>(y.size());
    sums_.resize(y.size() + 1);
    long double running = 0.0L;
    sums_[0] = 0.0;
    for (size_t i = 0; i < y.size(); ++i) {
        running += static_cast<long double>(y[i]) - mean;
        sums_[i + 1] = static_cast<double>(running);
    }
}

DeviationSums AllanDeviation::Overlapping(size_t m) const
{
    const size_t n = Size();
    if (m == 0 || n < 2 * m)
        return {};
    const size_t terms = n - 2 * m + 1;
    long double squares = 0.0L;
    for (size_t j = 0; j < terms; ++j) {
        const double difference = BlockSum(j + m, m) - BlockSum(j, m);
        squares += static_cast<long double>(difference) * difference;
    }
    const double scale = static_cast<double>(m) * static_cast<double>(m);
    return {static_cast<double>(squares / scale), terms};
}

// The term at j is W(j+m) - W(j), with W(j) the sum of the m block sums starting at
// j, j+1, ..., j+m-1. Both windows slide by one block sum per step.
DeviationSums AllanDeviation::Modified(size_t m) const
{
    const size_t n = Size();
    if (m == 0 || n + 1 < 3 * m)
        return {};
    const size_t terms = n + 2 - 3 * m;
    double early = 0.0;  // W(j)
    double late = 0.0;   // W(j+m)
    for (size_t i = 0; i < m; ++i) {
        early += BlockSum(i, m);
        late += BlockSum(i + m, m);
    }
    long double squares = 0.0L;
    for (size_t j = 0;; ++j) {
        const double difference = late - early;
        squares += static_cast<long double>(difference) * difference;
        if (j + 1 == terms)
            break;
        early += BlockSum(j + m, m) - BlockSum(j, m);
        late += BlockSum(j + 2 * m, m) - BlockSum(j + m, m);
    }
    const double scale = std::pow(static_cast<double>(m), 4);
    return {static_cast<double>(squares / scale), terms};
}

DeviationSums AllanDeviation::NonOverlapping(size_t m) const
{
    const size_t blocks = m == 0 ? 0 : Size() / m;
    if (blocks < 2)
        return {};
    long double squares = 0.0L;
    for (size_t k = 0; k + 1 < blocks; ++k) {
        const double difference = BlockSum((k + 1) * m, m) - BlockSum(k * m, m);
        squares += static_cast<long double>(difference) * difference;
    }
    const double scale = static_cast<double>(m) * static_cast<double>(m);
    return {static_cast<double>(squares / scale), blocks - 1};
}
