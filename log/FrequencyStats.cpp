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
    const SegmentBreak reason = segments_.Add(sample);
    if (reason == SegmentBreak::None) {
        const long double difference =
            static_cast<long double>(sample.frequencyHz) - last_->frequencyHz;
        PairSums& sums = pairs_[sample.gateMs];
        ++sums.pairs;
        sums.squares += difference * difference;
    }
    if (reason == SegmentBreak::Restart) {  // a new run: its own regression
        pooledTimeSquares_ += run_.timeSquares;
        pooledProducts_ += run_.products;
        run_ = Moments();
    }
    AddToRun(sample.tS, offset);
    last_ = sample;
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

DeviationPoint FrequencyStats::AdevAtTau0(double meanHz) const
{
    DeviationPoint point;
    const auto main = segments_.MainGate();
    point.tauS = main->second.Tau0Us() / 1e6;
    const auto sums = pairs_.find(main->first);
    if (sums == pairs_.end() || sums->second.pairs == 0)
        return point;
    point.terms = sums->second.pairs;
    point.hz = static_cast<double>(
        std::sqrt(sums->second.squares / (2.0L * static_cast<long double>(point.terms))));
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
    stats.adevTau0 = AdevAtTau0(stats.meanHz);
    stats.tau0S = stats.adevTau0.tauS;
    return stats;
}
