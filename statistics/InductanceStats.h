#pragma once

#include "link/sinks/RecordRow.h"

#include <boost/accumulators/accumulators.hpp>
#include <boost/accumulators/statistics/count.hpp>
#include <boost/accumulators/statistics/max.hpp>
#include <boost/accumulators/statistics/mean.hpp>
#include <boost/accumulators/statistics/min.hpp>
#include <boost/accumulators/statistics/stats.hpp>
#include <boost/accumulators/statistics/variance.hpp>

#include <cstdint>
#include <limits>
#include <optional>

// The L meter's figures: the inductance over the records whose inductance line was shown.
struct InductanceFigures {
    uint64_t count = 0;
    double meanUh = std::numeric_limits<double>::quiet_NaN();
    double stddevUh = std::numeric_limits<double>::quiet_NaN();  // sample (n-1)
    double minUh = std::numeric_limits<double>::quiet_NaN();
    double maxUh = std::numeric_limits<double>::quiet_NaN();
};

// Keeps InductanceFigures in constant memory; they start again when C1 or C2 changes,
// since an inductance computed from other capacitors is another measurement.
class InductanceStats {
public:
    void Add(double inductanceUh, const LogCapacitors& capacitors);
    void Clear();
    InductanceFigures Figures() const;

private:
    using Accumulator = boost::accumulators::accumulator_set<
        double, boost::accumulators::stats<
                    boost::accumulators::tag::count, boost::accumulators::tag::mean,
                    boost::accumulators::tag::variance, boost::accumulators::tag::min,
                    boost::accumulators::tag::max>>;

    Accumulator values_;
    std::optional<LogCapacitors> capacitors_;  // those of the figures; none before the first
};
