#pragma once

#include "analysis/AverageSeries.h"
#include "analysis/ConfidenceInterval.h"
#include "analysis/OctaveDeviations.h"
#include "analysis/SegmentLengths.h"
#include "stability/FrequencySample.h"
#include "stability/HeldQueue.h"
#include "stability/SegmentTracker.h"
#include "stability/StabilitySummary.h"

#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <vector>

// The figures of a live status line.
struct LiveStats {
    uint64_t count = 0;
    double lastHz = std::numeric_limits<double>::quiet_NaN();
    double meanHz = std::numeric_limits<double>::quiet_NaN();
    double stddevHz = std::numeric_limits<double>::quiet_NaN();
    double driftHzPerS = std::numeric_limits<double>::quiet_NaN();
    double driftPpmPerHour = std::numeric_limits<double>::quiet_NaN();
    double tau0S = std::numeric_limits<double>::quiet_NaN();  // of the gate with the most readings
    DeviationPoint adevTau0;  // overlapping Allan deviation at that tau0, without interval
};

// The one analysis of readings, batch and live alike: it takes readings one at a time
// and gives the whole summary at any moment, in constant time per reading and bounded
// memory. What it computes and how: stability/README.md.
class StabilityEngine {
public:
    struct Options {
        double confidence = analysis::kOneSigmaProbability;
        double scale = 1.0;  // readings are rounded to 1 / scale Hz
        // Subtracted from each reading at (run, t): the drift of a first pass.
        double removeSlopeHzPerS = 0.0;
    };

    StabilityEngine() : StabilityEngine(Options{}) {}
    explicit StabilityEngine(Options options);

    // Takes one reading into the level and drift at once, and into the deviations once
    // its segment is decided (SegmentTracker.h): usually at once, but a late delivery
    // and the start of a gate's readings are held a little. Returns why a segment
    // starts at each reading this decided, oldest first (None: it continues the one
    // before), valid until the next call.
    std::span<const SegmentBreak> Add(const FrequencySample& sample);
    // The readings end here: those held are decided with what is known. A file's
    // summary is taken after it.
    std::span<const SegmentBreak> Finish();
    // Everything but skippedLines and segmentStarts.
    StabilitySummary Summary() const;
    // The level and the ADEV at tau0 alone, cheaper than a summary.
    LiveStats Live() const;
    uint64_t Count() const { return count_; }

private:
    struct Gate {
        explicit Gate(bool wide) : octaves(wide) {}
        analysis::OctaveDeviations octaves;
        std::array<analysis::AverageSeries, analysis::OctaveDeviations::kMaxOctaves> averages;
        std::array<long double, analysis::OctaveDeviations::kMaxOctaves> blocks{};
        std::array<bool, analysis::OctaveDeviations::kMaxOctaves> pending{};
        analysis::SegmentLengths lengths;  // of the segments cut, for the EDF
        uint64_t segmentLength = 0;
        uint64_t longestSegment = 0;
    };
    struct Moments {
        uint64_t n = 0;
        long double meanT = 0.0L;
        long double meanF = 0.0L;
        long double timeSquares = 0.0L;
        long double products = 0.0L;
        double firstT = 0.0;
        double lastT = 0.0;
    };
    struct HeldReading {
        int64_t value = 0;  // as AddToGate takes it
        std::optional<uint32_t> gateMs;
        bool followed = false;  // a gate the tracker follows, not one beyond them
    };

    std::span<const SegmentBreak> TakeDecided();
    void AddLevel(const FrequencySample& sample, long double offset);
    void AddToRun(double tS, long double offset);
    void AddToGate(Gate& gate, int64_t value);
    Gate& GateOf(std::optional<uint32_t> gateMs);
    void CutGate(Gate& gate);
    void AddLevelFigures(StabilitySummary& s) const;
    GateDeviations GateSummary(std::optional<uint32_t> gateMs, const Gate& gate,
                               const GateSpacing& spacing, double meanHz) const;

    Options options_;
    SegmentTracker tracker_;
    std::map<std::optional<uint32_t>, Gate> gates_;
    std::optional<std::optional<uint32_t>> lastGate_;  // of the last decided reading, when followed
    HeldQueue<HeldReading> held_;  // added, not yet decided
    std::vector<SegmentBreak> decided_;  // by the last Add or Finish
    uint64_t count_ = 0;
    double reference_ = 0.0;  // the first frequency; values are kept as offsets from it
    long double meanOffset_ = 0.0L;
    long double squares_ = 0.0L;
    double minHz_ = 0.0;
    double maxHz_ = 0.0;
    double lastHz_ = 0.0;
    Moments run_;
    long double pooledTimeSquares_ = 0.0L;
    long double pooledProducts_ = 0.0L;
    double pooledSpanS_ = 0.0;
    uint64_t restarts_ = 0;
    uint64_t gaps_ = 0;
    uint64_t gateChanges_ = 0;
    uint64_t segments_ = 0;
};
