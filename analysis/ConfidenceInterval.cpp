#include "analysis/ConfidenceInterval.h"

#include <boost/math/distributions/chi_squared.hpp>

#include <cmath>

namespace analysis {

std::optional<ConfidenceInterval> ChiSquaredInterval(double deviation, double edf, double probability)
{
    if (!std::isfinite(deviation) || !std::isfinite(edf) || edf <= 0 || !(probability > 0 && probability < 1))
        return std::nullopt;
    // Double precision throughout: the default promotes to long double, six times slower
    // for the same digits, and a live summary takes a hundred of these.
    using Fast = boost::math::policies::policy<boost::math::policies::promote_double<false>>;
    const boost::math::chi_squared_distribution<double, Fast> distribution(edf);
    const double high = boost::math::quantile(distribution, (1 + probability) / 2);
    const double low = boost::math::quantile(distribution, (1 - probability) / 2);
    return ConfidenceInterval{deviation * std::sqrt(edf / high), deviation * std::sqrt(edf / low)};
}

}  // namespace analysis
