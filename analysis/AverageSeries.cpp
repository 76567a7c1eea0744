#include "analysis/AverageSeries.h"

#include <limits>

namespace analysis {

void AverageSeries::Series::Add(long double value)
{
    if (n == 0)
        first = value;
    else
        products += last * value;
    sum += value;
    squares += value * value;
    last = value;
    ++n;
}

long double AverageSeries::Series::CentredSquares() const
{
    return n == 0 ? 0.0L : squares - sum * sum / static_cast<long double>(n);
}

long double AverageSeries::Series::CentredProducts() const
{
    if (n < 2)
        return 0.0L;
    const long double mean = sum / static_cast<long double>(n);
    return products - mean * (2 * sum - first - last) + static_cast<long double>(n - 1) * mean * mean;
}

double AverageSeries::Series::Freedom() const
{
    return pooledFreedom + (n == 0 ? 0.0 : static_cast<double>(n - 1));
}

double AverageSeries::Series::Shrink() const
{
    return pooledShrink + (n == 0 ? 0.0 : static_cast<double>(n - 1) / static_cast<double>(n));
}

void AverageSeries::Series::Close()
{
    const Series pooled{.pooledCount = pooledCount + n,
                        .pooledSquares = pooledSquares + CentredSquares(),
                        .pooledProducts = pooledProducts + CentredProducts(),
                        .pooledRawSquares = pooledRawSquares + squares,
                        .pooledFreedom = Freedom(),
                        .pooledShrink = Shrink()};
    *this = pooled;
}

void AverageSeries::Add(long double value)
{
    for (Series& series : series_) {
        const bool hadValue = series.n > 0;
        const long double before = series.last;
        series.Add(value);
        if (!hadValue)
            return;
        value -= before;
    }
}

void AverageSeries::Cut()
{
    for (Series& series : series_)
        series.Close();
}

NoiseEvidence AverageSeries::Evidence(size_t m) const
{
    NoiseEvidence evidence;
    evidence.m = m;
    evidence.averages = Count();
    if (series_[0].Freedom() > 0)
        evidence.runAverages = series_[0].Freedom() / series_[0].Shrink();
    for (size_t d = 0; d < series_.size(); ++d) {
        const Series& s = series_[d];
        const uint64_t count = s.pooledCount + s.n;
        if (count < 3)
            break;
        const long double squares = s.pooledSquares + s.CentredSquares();
        const long double products = s.pooledProducts + s.CentredProducts();
        const double centringBias = s.Shrink() / s.Freedom() - 1.0 / static_cast<double>(count);
        evidence.lag1[d] = static_cast<double>(products / squares) + centringBias;
    }
    const long double differences = series_[1].pooledRawSquares + series_[1].squares;
    if (evidence.averages >= 2 && differences > 0)
        evidence.b1 = static_cast<double>(
            2 * (series_[0].pooledSquares + series_[0].CentredSquares()) / differences);
    return evidence;
}

}  // namespace analysis
