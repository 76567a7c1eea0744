#include "log/FrequencyStats.h"

#include <cmath>

void FrequencyStats::Add(const FrequencySample& sample)
{
    if (count_ == 0)
        reference_ = sample.frequencyHz;
    const long double offset = static_cast<long double>(sample.frequencyHz) - reference_;
    ++count_;
    const long double delta = offset - meanOffset_;
    meanOffset_ += delta / static_cast<long double>(count_);
    squares_ += delta * (offset - meanOffset_);
    if (last_) {
        AddStep(*last_, sample);
        if (StepMicroseconds(*last_, sample) <= 0) {  // a new run: its own regression
            pooledTimeSquares_ += run_.timeSquares;
            pooledProducts_ += run_.products;
            run_ = Moments();
        }
    }
    AddToRun(sample.tS, offset);
    last_ = sample;
}

void FrequencyStats::AddStep(const FrequencySample& before, const FrequencySample& after)
{
    const int64_t step = StepMicroseconds(before, after);
    if (step <= 0)
        return;
    StepBucket& bucket = steps_[step];
    ++bucket.steps;
    if (before.gateMs != after.gateMs)
        return;
    const long double difference = static_cast<long double>(after.frequencyHz) - before.frequencyHz;
    ++bucket.pairs;
    bucket.squares += difference * difference;
}

void FrequencyStats::AddToRun(double tS, long double offset)
{
    ++run_.n;
    const long double n = static_cast<long double>(run_.n);
    const long double dt = tS - run_.meanT;
    run_.meanT += dt / n;
    run_.meanF += (offset - run_.meanF) / n;
    run_.timeSquares += dt * (tS - run_.meanT);
    run_.products += dt * (offset - run_.meanF);
}

// As MedianPositiveStepUs, from the counts per step.
double FrequencyStats::MedianStepUs() const
{
    uint64_t total = 0;
    for (const auto& [step, bucket] : steps_)
        total += bucket.steps;
    if (total == 0)
        return std::numeric_limits<double>::quiet_NaN();
    const uint64_t upperRank = total / 2;  // 0-based rank of the upper middle step
    const uint64_t lowerRank = total % 2 == 1 ? upperRank : upperRank - 1;
    double lower = 0.0;
    uint64_t seen = 0;
    for (const auto& [step, bucket] : steps_) {
        if (seen <= lowerRank && lowerRank < seen + bucket.steps)
            lower = static_cast<double>(step);
        if (seen <= upperRank && upperRank < seen + bucket.steps)
            return (lower + static_cast<double>(step)) / 2.0;
        seen += bucket.steps;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

// The pairs whose step BreakBetween would not call a gap.
DeviationPoint FrequencyStats::AdevAtTau0(double tau0Us, double meanHz) const
{
    DeviationPoint point;
    point.tauS = tau0Us / 1e6;
    long double squares = 0.0L;
    for (const auto& [step, bucket] : steps_) {
        if (static_cast<double>(step) > 1.5 * tau0Us)
            break;
        point.terms += bucket.pairs;
        squares += bucket.squares;
    }
    if (point.terms == 0)
        return point;
    point.hz =
        static_cast<double>(std::sqrt(squares / (2.0L * static_cast<long double>(point.terms))));
    point.fractional = point.hz / meanHz;
    return point;
}

LiveStats FrequencyStats::Snapshot() const
{
    LiveStats stats;
    stats.count = count_;
    if (count_ == 0)
        return stats;
    stats.lastHz = last_->frequencyHz;
    stats.meanHz = static_cast<double>(reference_ + meanOffset_);
    if (count_ > 1)
        stats.stddevHz =
            static_cast<double>(std::sqrt(squares_ / static_cast<long double>(count_ - 1)));
    const long double timeSquares = pooledTimeSquares_ + run_.timeSquares;
    if (timeSquares > 0.0L) {
        stats.driftHzPerS = static_cast<double>((pooledProducts_ + run_.products) / timeSquares);
        stats.driftPpmPerHour = stats.driftHzPerS * 3600.0 / stats.meanHz * 1e6;
    }
    const double tau0Us = MedianStepUs();
    stats.tau0S = tau0Us / 1e6;
    stats.adevTau0 = AdevAtTau0(tau0Us, stats.meanHz);
    return stats;
}
