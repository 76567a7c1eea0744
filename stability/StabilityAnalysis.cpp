#include "stability/StabilityAnalysis.h"

#include "stability/SegmentTracker.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace {

// What the readings of a pass span, for the scale of the next.
struct Extent {
    bool whole = true;  // every frequency a whole number of hertz
    double largestOffsetHz = 0.0;  // from the first frequency
    double largestTimeS = 0.0;
};

using Feed = std::function<bool(StabilityEngine&, Extent&)>;

// Whole hertz as they are; anything finer (and drift-removed readings) in the
// smallest power-of-two unit that keeps the largest value within 2^52 of them, so the
// engine's integer sums lose nothing a double holds.
double ScaleFor(const Extent& extent, double removedSlopeHzPerS)
{
    if (extent.whole && removedSlopeHzPerS == 0.0)
        return 1.0;
    const double largest = extent.largestOffsetHz + std::fabs(removedSlopeHzPerS) * extent.largestTimeS;
    if (!(largest > 0.0) || !std::isfinite(largest))
        return 1.0;
    return std::ldexp(1.0, std::min(40, 52 - std::ilogb(largest) - 1));
}

// One pass, or two when the drift of the first is to be taken out in the second.
StabilitySummary Analyse(const Feed& feed, const AnalysisOptions& options, Extent extent, bool& ok)
{
    StabilityEngine::Options engineOptions;
    engineOptions.confidence = options.confidence;
    engineOptions.scale = ScaleFor(extent, 0.0);
    StabilityEngine first(engineOptions);
    ok = feed(first, extent);
    StabilitySummary summary = first.Summary();
    if (!ok || !options.removeDrift || !std::isfinite(summary.driftHzPerS))
        return summary;
    engineOptions.scale = ScaleFor(extent, summary.driftHzPerS);
    engineOptions.removeSlopeHzPerS = summary.driftHzPerS;
    StabilityEngine second(engineOptions);
    ok = feed(second, extent);
    return second.Summary();
}

void Widen(Extent& extent, const FrequencySample& sample, double firstHz)
{
    extent.whole = extent.whole && sample.frequencyHz == std::round(sample.frequencyHz);
    extent.largestOffsetHz = std::max(extent.largestOffsetHz, std::fabs(sample.frequencyHz - firstHz));
    extent.largestTimeS = std::max(extent.largestTimeS, std::fabs(sample.tS));
}

std::vector<SegmentStart> SegmentStarts(std::span<const FrequencySample> samples)
{
    std::vector<SegmentStart> starts;
    SegmentTracker tracker;
    uint64_t decided = 0;
    const auto take = [&] {
        for (std::optional<SegmentBreak> reason; (reason = tracker.Next()); ++decided) {
            if (*reason != SegmentBreak::None)
                starts.push_back({decided, *reason});
        }
    };
    for (const FrequencySample& sample : samples) {
        tracker.Add(sample);
        take();
    }
    tracker.Finish();
    take();
    return starts;
}

}  // namespace

StabilitySummary AnalyseSamples(std::span<const FrequencySample> samples,
                                const AnalysisOptions& options)
{
    Extent extent;
    for (const FrequencySample& sample : samples)
        Widen(extent, sample, samples.front().frequencyHz);
    const auto feed = [samples](StabilityEngine& engine, Extent&) {
        for (const FrequencySample& sample : samples)
            engine.Add(sample);
        engine.Finish();
        return true;
    };
    bool ok = true;
    StabilitySummary summary = Analyse(feed, options, extent, ok);
    summary.segmentStarts = SegmentStarts(samples);
    return summary;
}

StabilitySummary AnalyseLog(const LogSamples& loaded, const AnalysisOptions& options)
{
    StabilitySummary s = AnalyseSamples(loaded.samples, options);
    s.skippedLines = loaded.counts.malformed;
    return s;
}

SysStatus AnalyseLogFile(const std::string& path, const AnalysisOptions& options, StabilitySummary& summary)
{
    LogReadCounts counts;
    SysStatus read = Done{};
    const auto feed = [&](StabilityEngine& engine, Extent& extent) {
        counts = LogReadCounts();
        std::optional<double> firstHz;
        const auto add = [&](const LogRow& row) {
            const FrequencySample sample = SampleOf(row);
            Widen(extent, sample, firstHz.value_or(sample.frequencyHz));
            firstHz = firstHz.value_or(sample.frequencyHz);
            engine.Add(sample);
        };
        read = ReadLogFile(path, add, counts);
        engine.Finish();
        return read.Ok();
    };
    bool ok = false;
    summary = Analyse(feed, options, Extent{}, ok);
    summary.skippedLines = counts.malformed;
    return read;
}

SysStatus LoadLogSamples(const std::string& path, LogSamples& loaded)
{
    loaded.samples.clear();
    auto keep = [&loaded](const LogRow& row) { loaded.samples.push_back(SampleOf(row)); };
    return ReadLogFile(path, keep, loaded.counts);
}
