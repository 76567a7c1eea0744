#pragma once

#include "log/FrequencySample.h"
#include "log/StabilitySummary.h"

#include <cstdint>
#include <limits>
#include <map>
#include <optional>

// The figures of a live status line.
struct LiveStats {
    uint64_t count = 0;
    double lastHz = std::numeric_limits<double>::quiet_NaN();
    double meanHz = std::numeric_limits<double>::quiet_NaN();
    double stddevHz = std::numeric_limits<double>::quiet_NaN();
    double driftHzPerS = std::numeric_limits<double>::quiet_NaN();
    double driftPpmPerHour = std::numeric_limits<double>::quiet_NaN();
    double tau0S = std::numeric_limits<double>::quiet_NaN();
    DeviationPoint adevTau0;  // overlapping Allan deviation at tau0
};

// Statistics that follow a log reading by reading, in constant time per reading. On
// the same readings they give the batch analysis's numbers (StabilityAnalysis.h): the
// same mean, deviation and drift (per run, pooled), and the same ADEV at tau0, since
// the squared differences of consecutive readings are kept per step length, so the
// cut at 1.5 tau0 can be made at Snapshot with the median step of all readings so far.
// The memory grows with the number of distinct steps (whole microseconds), a few
// dozen for a counter sending at a steady rate.
class FrequencyStats {
public:
    void Add(const FrequencySample& sample);
    // O(distinct steps).
    LiveStats Snapshot() const;
    void Reset() { *this = FrequencyStats(); }

private:
    struct StepBucket {
        uint64_t steps = 0;          // consecutive readings this far apart
        uint64_t pairs = 0;          // of those, with the same gate time
        long double squares = 0.0L;  // sum of the pairs' squared frequency differences
    };
    struct Moments {
        uint64_t n = 0;
        long double meanT = 0.0L;
        long double meanF = 0.0L;
        long double timeSquares = 0.0L;
        long double products = 0.0L;
    };

    void AddStep(const FrequencySample& before, const FrequencySample& after);
    void AddToRun(double tS, long double offset);
    double MedianStepUs() const;
    DeviationPoint AdevAtTau0(double tau0Us, double meanHz) const;

    std::optional<FrequencySample> last_;
    double reference_ = 0.0;  // the first frequency; values are kept as offsets from it
    uint64_t count_ = 0;
    long double meanOffset_ = 0.0L;
    long double squares_ = 0.0L;
    Moments run_;                           // the run under way
    long double pooledTimeSquares_ = 0.0L;  // of the runs before it
    long double pooledProducts_ = 0.0L;
    std::map<int64_t, StepBucket> steps_;
};
