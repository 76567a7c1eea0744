#pragma once

#include "stability/FrequencySample.h"
#include "stability/GateSpacing.h"
#include "stability/HeldQueue.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

// Cuts a stream of readings into gap-free segments, one reading at a time, in memory
// bounded whatever the stream: the first kFullGates gate times are followed each, the
// readings of any further gate time only counted. Where it cuts and why a decision can
// wait for the rest of a delivery: stability/README.md (What the analysis computes).
//
// A reading's segment is often decided when it comes, but a reading that comes late may
// be the first of a delivery that brings the readings it is late for, so it is held
// until its delivery is whole (a reading at least kDeliveryUs later, another run, or
// Finish); at the start of a gate's readings, until the gate's first deliveries tell
// the spacing. Next() gives the decisions in the order the readings came.
class SegmentTracker {
public:
    using Gates = std::map<std::optional<uint32_t>, GateSpacing>;  // unknown first

    static constexpr size_t kFullGates = 16;
    // Readings closer than this are one delivery: those of one read() are stamped 1 us
    // apart, and in a log with millisecond t_s alike.
    static constexpr int64_t kDeliveryUs = 1000;
    // What a delivery may come late beyond one spacing: a USB adapter's latency.
    static constexpr int64_t kAllowanceUs = 20'000;
    // A delivery still held at this many readings is judged as it stands.
    static constexpr size_t kMostHeld = 4096;

    // Takes the next reading. Returns First, Restart or GateChange when it begins a new
    // run of one gate's readings (so a new segment: decided at once), None when it
    // continues one, where a gap may yet be found before it.
    SegmentBreak Add(const FrequencySample& sample);
    // The readings end here (a later Add begins a new delivery): every held reading is
    // decided with what is known.
    void Finish();
    // Why a segment starts at the oldest decided reading not yet taken (None: it
    // continues the one before); empty when every decided reading was taken.
    std::optional<SegmentBreak> Next();
    // Readings added and not yet decided.
    uint64_t Held() const { return added_ - decided_; }

    // The followed gates.
    const Gates& ByGate() const { return gates_; }
    bool Followed(std::optional<uint32_t> gateMs) const { return gates_.contains(gateMs); }
    // Readings of the gate times beyond the first kFullGates.
    uint64_t OtherReadings() const { return otherReadings_; }
    // The followed gate with the most readings (the first of equals); end() before any.
    Gates::const_iterator MainGate() const;

private:
    struct Delivery {
        int64_t intervalUs = 0;  // from the last reading of the delivery before
        uint64_t readings = 0;
        uint64_t first = 0;      // its first reading, counted from the tracker's first
        bool follows = false;    // a delivery came before it in the same run
        bool held = false;       // its readings wait to be decided
        bool accepted = false;   // decided: it continues its segment
        bool noted = false;      // counted whole (Close)
    };
    struct Break {
        uint64_t reading = 0;
        SegmentBreak reason = SegmentBreak::None;
    };

    void BeginRun(const FrequencySample& sample);
    void Continue(int64_t stepUs);
    // The current delivery is whole: noted, and judged when it can be.
    void Close();
    // Close, and every held delivery judged with what is known.
    void Settle();
    void Judge(double spacingUs);
    void Recount();
    static bool IsGap(const Delivery& delivery, double spacingUs);
    // The spacing a delivery can be judged with now; 0 (nothing known) at the start
    // of a gate without a gate time.
    double SpacingNow() const;
    // The spacing of the current run's gate (that of the last reading).
    const GateSpacing& Run() const;
    GateSpacing& Run();

    std::optional<FrequencySample> last_;
    Gates gates_;
    std::optional<GateSpacing> other_;  // a run of a gate beyond the followed ones
    bool inOther_ = false;
    uint64_t otherReadings_ = 0;
    Delivery current_;
    HeldQueue<Delivery> waiting_;    // whole, held, in order
    // Readings are counted from the tracker's first: those added, decided and taken by
    // Next(); the breaks of those not yet taken, in order (every other reading: None).
    uint64_t added_ = 0;
    uint64_t decided_ = 0;
    uint64_t taken_ = 0;
    HeldQueue<Break> breaks_;
};
