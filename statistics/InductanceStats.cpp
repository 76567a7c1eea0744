#include "statistics/InductanceStats.h"

#include <cmath>

namespace acc = boost::accumulators;

void InductanceStats::Add(double inductanceUh, const LogCapacitors& capacitors)
{
    if (capacitors_ && (capacitors_->c1 != capacitors.c1 || capacitors_->c2 != capacitors.c2))
        Clear();
    capacitors_ = capacitors;
    values_(inductanceUh);
}

void InductanceStats::Clear()
{
    values_ = Accumulator();
    capacitors_.reset();
}

InductanceFigures InductanceStats::Figures() const
{
    InductanceFigures figures;
    figures.count = acc::count(values_);
    if (figures.count == 0)
        return figures;
    const auto n = static_cast<double>(figures.count);
    figures.meanUh = acc::mean(values_);
    // The accumulator's variance divides by n; the figures, like the frequency's, by n - 1.
    if (figures.count > 1)
        figures.stddevUh = std::sqrt(acc::variance(values_) * n / (n - 1.0));
    figures.minUh = acc::min(values_);
    figures.maxUh = acc::max(values_);
    return figures;
}
