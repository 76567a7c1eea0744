#include "stability/StabilityEngine.h"

#include "analysis/NoiseIdentification.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using analysis::NoiseType;
using analysis::OctaveDeviations;
using analysis::VarianceEstimator;

constexpr int kOctaves = OctaveDeviations::kMaxOctaves;
// A tau at exactly a quarter of the span stays in despite rounding of the two.
constexpr double kSpanSlack = 1e-9;

double Variance(const OctaveDeviations::Sums& sums, double factor)
{
    if (sums.terms == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(sums.squares / (factor * static_cast<long double>(sums.terms)));
}

// The noise type of octave k, or else of the nearest octave that has one.
std::optional<NoiseType> NoiseForEdf(const std::vector<std::optional<NoiseType>>& found, size_t k)
{
    for (size_t distance = 0; distance < found.size(); ++distance) {
        if (k >= distance && found[k - distance])
            return found[k - distance];
        if (k + distance < found.size() && found[k + distance])
            return found[k + distance];
    }
    return std::nullopt;
}

struct PointMaker {
    double tau0S;
    double meanHz;
    double scale;
    double confidence;
    const analysis::SegmentLengths& lengths;

    DeviationPoint Make(int k, const OctaveDeviations::Octave& octave,
                        const OctaveDeviations::Sums& sums, double factor,
                        VarianceEstimator estimator, std::optional<NoiseType> noise,
                        std::optional<NoiseType> edfNoise) const
    {
        const uint64_t m = uint64_t{1} << k;
        DeviationPoint point;
        point.tauS = tau0S * static_cast<double>(m);
        point.terms = sums.terms;
        point.hz = std::sqrt(Variance(sums, factor)) / scale;
        point.fractional = point.hz / meanHz;
        point.noise = noise;
        point.stride = octave.stride;
        if (!edfNoise)
            return point;
        const auto edf = lengths.DegreesOfFreedom(*edfNoise, estimator, m, octave.stride);
        if (!edf)
            return point;
        point.edf = *edf;
        if (const auto interval = analysis::ChiSquaredInterval(point.fractional, *edf, confidence)) {
            point.lower = interval->lower;
            point.upper = interval->upper;
        }
        return point;
    }
};

DeviationPoint TimeDeviation(const DeviationPoint& modified)
{
    DeviationPoint point = modified;
    const double factor = modified.tauS / std::numbers::sqrt3;
    point.seconds = modified.fractional * factor;
    point.fractional = std::numeric_limits<double>::quiet_NaN();
    point.hz = std::numeric_limits<double>::quiet_NaN();
    point.lower = modified.lower * factor;
    point.upper = modified.upper * factor;
    return point;
}

}  // namespace

StabilityEngine::StabilityEngine(Options options) : options_(options) {}

std::span<const SegmentBreak> StabilityEngine::Add(const FrequencySample& sample)
{
    if (count_ == 0)
        reference_ = sample.frequencyHz;
    const long double offset = static_cast<long double>(sample.frequencyHz) - reference_;
    AddLevel(sample, offset);
    if (tracker_.Add(sample) == SegmentBreak::Restart) {  // a new run: its own regression
        pooledTimeSquares_ += run_.timeSquares;
        pooledProducts_ += run_.products;
        pooledSpanS_ += run_.lastT - run_.firstT;
        run_ = Moments();
    }
    AddToRun(sample.tS, offset);
    const long double detrended = offset - options_.removeSlopeHzPerS * sample.tS;
    held_.PushBack(
        {std::llround(detrended * options_.scale), sample.gateMs, tracker_.Followed(sample.gateMs)});
    return TakeDecided();
}

std::span<const SegmentBreak> StabilityEngine::Finish()
{
    tracker_.Finish();
    return TakeDecided();
}

// The readings the tracker has decided join their gate's sums, cut where it says.
std::span<const SegmentBreak> StabilityEngine::TakeDecided()
{
    decided_.clear();
    while (const std::optional<SegmentBreak> reason = tracker_.Next()) {
        const HeldReading reading = held_.Front();
        held_.PopFront();
        restarts_ += reason == SegmentBreak::Restart ? 1 : 0;
        gaps_ += reason == SegmentBreak::Gap ? 1 : 0;
        gateChanges_ += reason == SegmentBreak::GateChange ? 1 : 0;
        if (reason != SegmentBreak::None)
            ++segments_;
        if (reason != SegmentBreak::None && lastGate_)
            CutGate(GateOf(*lastGate_));
        lastGate_.reset();
        if (reading.followed) {
            AddToGate(GateOf(reading.gateMs), reading.value);
            lastGate_ = reading.gateMs;
        }
        decided_.push_back(*reason);
    }
    return decided_;
}

StabilityEngine::Gate& StabilityEngine::GateOf(std::optional<uint32_t> gateMs)
{
    return gates_.try_emplace(gateMs, options_.scale != 1.0).first->second;
}

void StabilityEngine::AddLevel(const FrequencySample& sample, long double offset)
{
    ++count_;
    const long double delta = offset - meanOffset_;
    meanOffset_ += delta / static_cast<long double>(count_);
    squares_ += delta * (offset - meanOffset_);
    minHz_ = count_ == 1 ? sample.frequencyHz : std::min(minHz_, sample.frequencyHz);
    maxHz_ = count_ == 1 ? sample.frequencyHz : std::max(maxHz_, sample.frequencyHz);
    lastHz_ = sample.frequencyHz;
}

void StabilityEngine::AddToRun(double tS, long double offset)
{
    if (run_.n == 0)
        run_.firstT = tS;
    run_.lastT = tS;
    ++run_.n;
    const long double n = static_cast<long double>(run_.n);
    const long double dt = tS - run_.meanT;
    run_.meanT += dt / n;
    run_.meanF += (offset - run_.meanF) / n;
    run_.timeSquares += dt * (tS - run_.meanT);
    run_.products += dt * (offset - run_.meanF);
}

// The averages of octave k are the sums of 2^k readings, made as a binary counter carries.
void StabilityEngine::AddToGate(Gate& gate, int64_t value)
{
    gate.octaves.Add(value);
    gate.longestSegment = std::max(gate.longestSegment, ++gate.segmentLength);
    auto carry = static_cast<long double>(value);
    for (size_t k = 0; k < gate.averages.size(); ++k) {
        gate.averages[k].Add(carry);
        if (!gate.pending[k]) {
            gate.blocks[k] = carry;
            gate.pending[k] = true;
            return;
        }
        carry += gate.blocks[k];
        gate.pending[k] = false;
    }
}

void StabilityEngine::CutGate(Gate& gate)
{
    gate.lengths.Add(gate.segmentLength);
    gate.octaves.Cut();
    for (auto& series : gate.averages)
        series.Cut();
    gate.pending.fill(false);
    gate.segmentLength = 0;
}

GateDeviations StabilityEngine::GateSummary(std::optional<uint32_t> gateMs, const Gate& gate,
                                            const GateSpacing& spacing, double meanHz) const
{
    GateDeviations g;
    g.gateMs = gateMs;
    g.tau0S = spacing.Tau0Us() / 1e6;
    g.count = spacing.Readings();
    const double tauLimit = static_cast<double>(spacing.CoveredUs()) / 1e6 / 4.0 * (1.0 + kSpanSlack);
    int octaves = 0;
    while (octaves < kOctaves && (uint64_t{2} << octaves) <= gate.longestSegment &&
           g.tau0S * std::ldexp(1.0, octaves) <= tauLimit)
        ++octaves;
    std::vector<std::optional<NoiseType>> noise(static_cast<size_t>(octaves));
    for (int k = 0; k < octaves; ++k) {
        const OctaveDeviations::Octave octave = gate.octaves.At(k);
        analysis::NoiseEvidence evidence = gate.averages[static_cast<size_t>(k)].Evidence(size_t{1} << k);
        evidence.modifiedToAllan = Variance(octave.mdev, 2) / Variance(octave.adev, 2);
        noise[static_cast<size_t>(k)] = analysis::IdentifyNoise(evidence);
    }
    analysis::SegmentLengths lengths = gate.lengths;
    lengths.Add(gate.segmentLength);
    const PointMaker maker{g.tau0S, meanHz, options_.scale, options_.confidence, lengths};
    for (int k = 0; k < octaves; ++k) {
        const OctaveDeviations::Octave octave = gate.octaves.At(k);
        const auto found = noise[static_cast<size_t>(k)];
        const auto edfNoise = NoiseForEdf(noise, static_cast<size_t>(k));
        g.adev.push_back(maker.Make(k, octave, octave.adev, 2, analysis::kOverlappingAllan, found, edfNoise));
        if (octave.mdev.terms > 0) {
            g.mdev.push_back(maker.Make(k, octave, octave.mdev, 2, analysis::kModifiedAllan, found, edfNoise));
            g.tdev.push_back(TimeDeviation(g.mdev.back()));
        }
        if (octave.hdev.terms > 0)
            g.hdev.push_back(maker.Make(k, octave, octave.hdev, 6, analysis::kOverlappingHadamard, found, edfNoise));
    }
    return g;
}

StabilitySummary StabilityEngine::Summary() const
{
    StabilitySummary s;
    s.count = count_;
    s.confidence = options_.confidence;
    if (options_.removeSlopeHzPerS != 0.0)
        s.driftRemovedHzPerS = options_.removeSlopeHzPerS;
    if (count_ == 0)
        return s;
    s.segments = segments_;
    s.restarts = restarts_;
    s.gaps = gaps_;
    s.gateChanges = gateChanges_;
    s.otherGateReadings = tracker_.OtherReadings();
    AddLevelFigures(s);
    const auto main = tracker_.MainGate();
    for (const auto& [gateMs, spacing] : tracker_.ByGate()) {
        const auto gate = gates_.find(gateMs);
        s.byGate.push_back(GateSummary(gateMs, gate->second, spacing, s.meanHz));
        if (gateMs == main->first) {
            const GateDeviations& g = s.byGate.back();
            s.tau0S = g.tau0S;
            s.adev = g.adev;
            s.mdev = g.mdev;
            s.hdev = g.hdev;
            s.tdev = g.tdev;
        }
    }
    return s;
}

LiveStats StabilityEngine::Live() const
{
    LiveStats live;
    live.count = count_;
    if (count_ == 0)
        return live;
    StabilitySummary s;
    AddLevelFigures(s);
    live.lastHz = s.lastHz;
    live.meanHz = s.meanHz;
    live.stddevHz = s.stddevHz;
    live.driftHzPerS = s.driftHzPerS;
    live.driftPpmPerHour = s.driftPpmPerHour;
    const auto main = tracker_.MainGate();
    live.tau0S = main->second.Tau0Us() / 1e6;
    live.adevTau0.tauS = live.tau0S;
    const OctaveDeviations::Octave first = gates_.find(main->first)->second.octaves.At(0);
    live.adevTau0.terms = first.adev.terms;
    live.adevTau0.hz = std::sqrt(Variance(first.adev, 2)) / options_.scale;
    live.adevTau0.fractional = live.adevTau0.hz / live.meanHz;
    return live;
}

void StabilityEngine::AddLevelFigures(StabilitySummary& s) const
{
    s.meanHz = static_cast<double>(reference_ + meanOffset_);
    if (count_ > 1)
        s.stddevHz = static_cast<double>(std::sqrt(squares_ / static_cast<long double>(count_ - 1)));
    s.minHz = minHz_;
    s.maxHz = maxHz_;
    s.lastHz = lastHz_;
    s.spanS = pooledSpanS_ + (run_.lastT - run_.firstT);
    const long double timeSquares = pooledTimeSquares_ + run_.timeSquares;
    if (timeSquares > 0.0L) {
        s.driftHzPerS = static_cast<double>((pooledProducts_ + run_.products) / timeSquares);
        s.driftPpmPerHour = s.driftHzPerS * 3600.0 / s.meanHz * 1e6;
    }
}
