#pragma once

#include "log/FrequencySample.h"
#include "log/SegmentTracker.h"
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
    double tau0S = std::numeric_limits<double>::quiet_NaN();  // of the gate with the most readings
    DeviationPoint adevTau0;  // overlapping Allan deviation at that tau0
};

// Statistics that follow a log reading by reading, in constant time per reading and
// memory that grows only with the number of gate times seen. On the same readings they
// give the batch analysis's numbers (StabilityAnalysis.h): the same mean, deviation and
// drift (per run, pooled), the same tau0 and the same ADEV at tau0, since both cut the
// readings with a SegmentTracker and the ADEV at tau0 pools the squared differences of
// consecutive readings within each segment.
class FrequencyStats {
public:
    void Add(const FrequencySample& sample);
    LiveStats Snapshot() const;
    void Reset() { *this = FrequencyStats(); }

private:
    struct PairSums {
        uint64_t pairs = 0;          // consecutive readings in one segment
        long double squares = 0.0L;  // their squared frequency differences, summed
    };
    struct Moments {
        uint64_t n = 0;
        long double meanT = 0.0L;
        long double meanF = 0.0L;
        long double timeSquares = 0.0L;
        long double products = 0.0L;
    };

    void AddToRun(double tS, long double offset);
    DeviationPoint AdevAtTau0(double meanHz) const;

    std::optional<FrequencySample> last_;
    double reference_ = 0.0;  // the first frequency; values are kept as offsets from it
    uint64_t count_ = 0;
    long double meanOffset_ = 0.0L;
    long double squares_ = 0.0L;
    Moments run_;                           // the run under way
    long double pooledTimeSquares_ = 0.0L;  // of the runs before it
    long double pooledProducts_ = 0.0L;
    SegmentTracker segments_;
    std::map<std::optional<uint32_t>, PairSums> pairs_;  // per gate time
};
