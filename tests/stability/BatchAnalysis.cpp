#include "tests/stability/BatchAnalysis.h"

#include "stability/SegmentTracker.h"
#include "tests/stability/AllanDeviation.h"

#include <algorithm>
#include <cmath>

namespace {

// A tau at exactly a quarter of the span stays in despite rounding of the two.
constexpr double kSpanSlack = 1e-9;

struct Segmentation {
    std::vector<SegmentStart> starts;
    uint64_t restarts = 0;
    uint64_t gaps = 0;
    uint64_t gateChanges = 0;
    SegmentTracker tracker;  // each gate's spacing once every reading is in
};

Segmentation Segment(std::span<const FrequencySample> samples)
{
    Segmentation cut;
    uint64_t decided = 0;
    const auto take = [&cut, &decided] {
        for (std::optional<SegmentBreak> reason; (reason = cut.tracker.Next()); ++decided) {
            if (*reason == SegmentBreak::None)
                continue;
            cut.starts.push_back({decided, *reason});
            cut.restarts += reason == SegmentBreak::Restart ? 1 : 0;
            cut.gaps += reason == SegmentBreak::Gap ? 1 : 0;
            cut.gateChanges += reason == SegmentBreak::GateChange ? 1 : 0;
        }
    };
    for (const FrequencySample& sample : samples) {
        cut.tracker.Add(sample);
        take();
    }
    cut.tracker.Finish();
    take();
    return cut;
}

// Two passes on offsets from the first reading, in long double.
void AddLevelStatistics(std::span<const FrequencySample> samples, StabilitySummary& s)
{
    const double reference = samples.front().frequencyHz;
    long double total = 0.0L;
    auto [lowest, highest] = std::minmax_element(
        samples.begin(), samples.end(), [](const FrequencySample& a, const FrequencySample& b) {
            return a.frequencyHz < b.frequencyHz;
        });
    for (const FrequencySample& sample : samples)
        total += static_cast<long double>(sample.frequencyHz) - reference;
    const auto n = static_cast<long double>(samples.size());
    const long double meanOffset = total / n;
    long double squares = 0.0L;
    long double residual = 0.0L;  // rounding left in meanOffset, taken out below
    for (const FrequencySample& sample : samples) {
        const long double deviation =
            static_cast<long double>(sample.frequencyHz) - reference - meanOffset;
        squares += deviation * deviation;
        residual += deviation;
    }
    s.meanHz = static_cast<double>(reference + meanOffset);
    if (samples.size() > 1)
        s.stddevHz = static_cast<double>(std::sqrt((squares - residual * residual / n) / (n - 1)));
    s.minHz = lowest->frequencyHz;
    s.maxHz = highest->frequencyHz;
    s.lastHz = samples.back().frequencyHz;
}

struct RunSums {
    long double timeSquares = 0.0L;  // sum of (t - mean t)^2
    long double products = 0.0L;     // sum of (t - mean t)(f - mean f)
    double spanS = 0.0;
};

void AddRun(std::span<const FrequencySample> run, RunSums& sums)
{
    long double meanT = 0.0L;
    long double meanF = 0.0L;
    const double reference = run.front().frequencyHz;
    for (const FrequencySample& sample : run) {
        meanT += sample.tS;
        meanF += static_cast<long double>(sample.frequencyHz) - reference;
    }
    meanT /= static_cast<long double>(run.size());
    meanF /= static_cast<long double>(run.size());
    for (const FrequencySample& sample : run) {
        const long double dt = sample.tS - meanT;
        sums.timeSquares += dt * dt;
        sums.products += dt * (static_cast<long double>(sample.frequencyHz) - reference - meanF);
    }
    sums.spanS += run.back().tS - run.front().tS;
}

// Span and drift, each run on its own, pooled.
void AddDriftAndSpan(std::span<const FrequencySample> samples,
                     const std::vector<SegmentStart>& starts, StabilitySummary& s)
{
    RunSums sums;
    size_t first = 0;
    for (const SegmentStart& start : starts) {
        if (start.reason != SegmentBreak::Restart)
            continue;
        AddRun(samples.subspan(first, start.index - first), sums);
        first = start.index;
    }
    AddRun(samples.subspan(first), sums);
    s.spanS = sums.spanS;
    if (sums.timeSquares > 0.0L) {
        s.driftHzPerS = static_cast<double>(sums.products / sums.timeSquares);
        s.driftPpmPerHour = s.driftHzPerS * 3600.0 / s.meanHz * 1e6;
    }
}

// The segments of one gate time.
std::vector<AllanDeviation> SegmentDeviations(std::span<const FrequencySample> samples,
                                              const std::vector<SegmentStart>& starts,
                                              std::optional<uint32_t> gateMs)
{
    std::vector<AllanDeviation> segments;
    std::vector<double> frequencies;
    for (size_t k = 0; k < starts.size(); ++k) {
        if (samples[starts[k].index].gateMs != gateMs)
            continue;
        const size_t end = k + 1 < starts.size() ? starts[k + 1].index : samples.size();
        frequencies.clear();
        for (size_t i = starts[k].index; i < end; ++i)
            frequencies.push_back(samples[i].frequencyHz);
        if (frequencies.size() >= 2)
            segments.emplace_back(frequencies);
    }
    return segments;
}

DeviationPoint PointOf(double tauS, const DeviationSums& sums, std::optional<double> meanHz)
{
    DeviationPoint point;
    point.tauS = tauS;
    point.terms = sums.terms;
    const double deviation = sums.Deviation();
    point.fractional = meanHz ? deviation / *meanHz : deviation;
    if (meanHz)
        point.hz = deviation;
    return point;
}

// Samples in Hz when meanHz is given, fractional otherwise.
DeviationCurves PooledCurves(const std::vector<AllanDeviation>& segments, double tau0S,
                             double spanS, std::optional<double> meanHz)
{
    DeviationCurves curves;
    size_t longest = 0;
    for (const AllanDeviation& segment : segments)
        longest = std::max(longest, segment.Size());
    const double tauLimit = spanS / 4.0 * (1.0 + kSpanSlack);
    for (size_t m = 1; 2 * m <= longest && tau0S * static_cast<double>(m) <= tauLimit; m *= 2) {
        DeviationSums overlapping;
        DeviationSums modified;
        for (const AllanDeviation& segment : segments) {
            overlapping += segment.Overlapping(m);
            modified += segment.Modified(m);
        }
        const double tauS = tau0S * static_cast<double>(m);
        curves.adev.push_back(PointOf(tauS, overlapping, meanHz));
        if (modified.terms > 0)
            curves.mdev.push_back(PointOf(tauS, modified, meanHz));
    }
    return curves;
}

// Each gate's curves at its own tau0 up to a quarter of the time its readings cover;
// the gate with the most readings also gives the summary's own.
void AddDeviations(std::span<const FrequencySample> samples, const Segmentation& cut,
                   StabilitySummary& s)
{
    const auto main = cut.tracker.MainGate();
    for (auto gate = cut.tracker.ByGate().begin(); gate != cut.tracker.ByGate().end(); ++gate) {
        GateDeviations& g = s.byGate.emplace_back();
        g.gateMs = gate->first;
        g.tau0S = gate->second.Tau0Us() / 1e6;
        g.count = gate->second.Readings();
        const double coveredS = static_cast<double>(gate->second.CoveredUs()) / 1e6;
        DeviationCurves curves = PooledCurves(SegmentDeviations(samples, cut.starts, gate->first),
                                              g.tau0S, coveredS, s.meanHz);
        g.adev = std::move(curves.adev);
        g.mdev = std::move(curves.mdev);
        if (gate == main) {
            s.tau0S = g.tau0S;
            s.adev = g.adev;
            s.mdev = g.mdev;
        }
    }
}

}  // namespace

StabilitySummary BatchAnalyseSamples(std::span<const FrequencySample> samples)
{
    StabilitySummary s;
    s.count = samples.size();
    if (samples.empty())
        return s;
    Segmentation cut = Segment(samples);
    s.segments = cut.starts.size();
    s.restarts = cut.restarts;
    s.gaps = cut.gaps;
    s.gateChanges = cut.gateChanges;
    AddLevelStatistics(samples, s);
    AddDriftAndSpan(samples, cut.starts, s);
    AddDeviations(samples, cut, s);
    s.segmentStarts = std::move(cut.starts);
    return s;
}

DeviationCurves FractionalDeviationCurves(std::span<const double> y, double tau0S)
{
    if (y.size() < 2)
        return {};
    const std::vector<AllanDeviation> run{AllanDeviation(y)};
    const double spanS = static_cast<double>(y.size() - 1) * tau0S;
    return PooledCurves(run, tau0S, spanS, std::nullopt);
}
