#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The spacing of the readings of one gate time, in constant memory: the tau0 it reports
// and the spacing SegmentTracker judges gaps with, as stability/README.md (What the
// analysis computes) describes them. SegmentTracker cuts the readings into deliveries
// and tells this class what it decided.
class GateSpacing {
public:
    // Deliveries after a run's first that the spacing must have seen before it judges
    // alone; until then a delivery that might be a gap waits for them.
    static constexpr size_t kStartDeliveries = 8;

    // gateMs is the gate time the records name: no counter reads faster, so it is a
    // lower bound of the spacing. Empty: none is known.
    explicit GateSpacing(std::optional<uint32_t> gateMs);

    // One more reading of this gate; stepUs is its step from the reading before when
    // that one had the same gate in the same run (never negative).
    void Count(std::optional<int64_t> stepUs);
    // A delivery (or the rest of one) that continues its segment: intervalUs from the
    // last reading of the delivery before to its own last reading, and its readings.
    void Accept(int64_t intervalUs, uint64_t readings);
    // A whole delivery that followed another in the same run, gap or not, while the
    // spacing is still starting: its time per reading joins the start's median.
    void NoteStart(int64_t intervalUs, uint64_t readings);

    uint64_t Readings() const { return readings_; }
    // The mean spacing of the accepted deliveries in us; NaN before the first.
    double Tau0Us() const;
    // The time the steps taken cover, gaps included, us.
    int64_t CoveredUs() const { return coveredUs_; }

    // Seen enough deliveries to judge one as soon as it is whole.
    bool Started() const { return started_ == kStartDeliveries; }
    // The median time per reading of the deliveries noted at the start, never below the
    // gate time; 0 when neither is known.
    double StartUs() const;
    // The spacing a delivery is judged with once started: the mean, never below the
    // gate time (StartUs before any delivery was accepted).
    double JudgingUs() const;
    // The gate time in us; 0 when not known.
    double LowerBoundUs() const { return lowerBoundUs_; }

private:
    double lowerBoundUs_ = 0.0;
    uint64_t readings_ = 0;
    int64_t spanUs_ = 0;  // the accepted deliveries' intervals, summed
    uint64_t steps_ = 0;  // and their readings counted
    int64_t coveredUs_ = 0;
    std::array<double, kStartDeliveries> start_{};  // time per reading of the first deliveries
    size_t started_ = 0;
};
