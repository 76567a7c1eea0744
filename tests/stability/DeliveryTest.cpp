#include "log/LogClock.h"
#include "stability/SegmentTracker.h"
#include "stability/StabilityEngine.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

// The gap rule on readings as they are delivered: late readings (USB packets, bursts,
// host stalls, a backlog) are no gap, readings that are missing are.

namespace {

constexpr int64_t kSecondUs = 1'000'000;

// Records of 20 bytes, record k's last byte sent at endsS[k] and its bytes evenly between
// the end of the one before and its own, reaching pelmora-log in 62-byte USB packets:
// each packet when its last byte is sent, read up to 2 ms late, the records it completes
// stamped as LogClock stamps one read(), 1 us apart. Records of a last partial packet
// never arrive.
std::vector<int64_t> InPackets(const std::vector<double>& endsS)
{
    constexpr int64_t kRecord = 20;
    constexpr int64_t kPacket = 62;
    const auto records = static_cast<int64_t>(endsS.size());
    const auto endOf = [&endsS](int64_t k) {
        return k >= 0 ? endsS[static_cast<size_t>(k)] : 2 * endsS[0] - endsS[1];
    };
    std::vector<int64_t> stamps;
    int64_t last = -1;
    for (int64_t packet = 0, k = 0; (packet + 1) * kPacket <= records * kRecord; ++packet) {
        const int64_t lastByte = packet * kPacket + kPacket - 1;
        const int64_t record = lastByte / kRecord;
        const double fraction = static_cast<double>(lastByte % kRecord + 1) / kRecord;
        const double sentS = endOf(record - 1) + fraction * (endOf(record) - endOf(record - 1));
        const int64_t readUs = std::llround(sentS * 1e6) + packet * 7919 % 2000;
        for (; k < records && kRecord * (k + 1) - 1 <= lastByte; ++k)
            stamps.push_back(last = NextStampUs(readUs, last));
    }
    return stamps;
}

// count readings spacingS apart, each up to jitterS early or late.
std::vector<double> Every(double spacingS, size_t count, double jitterS = 0.0)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> jitter(-jitterS, jitterS);
    std::vector<double> ends;
    for (size_t k = 0; k < count; ++k)
        ends.push_back(static_cast<double>(k + 1) * spacingS + (jitterS > 0.0 ? jitter(random) : 0.0));
    return ends;
}

// Readings taken every second and read in pairs 1 us apart every 2 s.
std::vector<int64_t> Pairs(int64_t count)
{
    std::vector<int64_t> stamps;
    for (int64_t k = 0; k < count; ++k)
        stamps.push_back((k / 2 * 2 + 1) * kSecondUs + k % 2);
    return stamps;
}

// Readings every second; every 20 s the host stalls for 2 s, and the two readings taken
// meanwhile arrive with the next one, 1 us apart.
std::vector<int64_t> Stalls(int64_t count)
{
    std::vector<int64_t> stamps;
    for (int64_t k = 0; k < count; ++k) {
        const int64_t phase = k % 20;
        if (phase >= 18)
            stamps.push_back((k / 20 + 1) * 20 * kSecondUs + phase - 18);
        else if (phase == 0 && k > 0)
            stamps.push_back(k * kSecondUs + 2);
        else
            stamps.push_back(k * kSecondUs);
    }
    return stamps;
}

// Readings k = 0..200 waiting in the adapter when the log starts, read at once at 200 s
// (k us), then k = 201.. at k s.
std::vector<int64_t> Backlog(int64_t count)
{
    std::vector<int64_t> stamps;
    for (int64_t k = 0; k < count; ++k)
        stamps.push_back(k <= 200 ? 200 * kSecondUs + k : k * kSecondUs);
    return stamps;
}

// Readings every second with missing of them lost from index from on.
std::vector<int64_t> Missing(int64_t count, int64_t from, int64_t missing)
{
    std::vector<int64_t> stamps;
    for (int64_t k = 0; k < count; ++k) {
        if (k < from || k >= from + missing)
            stamps.push_back(k * kSecondUs);
    }
    return stamps;
}

// One reading, 100 s of silence, then 999 readings a second apart.
std::vector<int64_t> PauseAfterTheFirst()
{
    std::vector<int64_t> stamps{0};
    for (int64_t k = 0; k < 999; ++k)
        stamps.push_back((101 + k) * kSecondUs);
    return stamps;
}

struct DeliveryCase {
    const char* Name;
    std::vector<int64_t> stampsUs;
    std::optional<uint32_t> gateMs;
    uint64_t gaps;
    double tau0S;
    double tolerance;  // relative, of tau0
};

const DeliveryCase kDeliveryCases[] = {
    // Late deliveries that lose no reading, then readings really missing.
    {"packets_50_per_s", InPackets(Every(0.02, 3000)), std::nullopt, 0, 0.02, 0.005},
    {"packets_50_per_s_gate_10_ms", InPackets(Every(0.02, 3000)), 10, 0, 0.02, 0.005},
    {"packets_10_per_s", InPackets(Every(0.1, 2000)), std::nullopt, 0, 0.1, 0.005},
    {"packets_10_per_s_gate_100_ms", InPackets(Every(0.1, 2000)), 100, 0, 0.1, 0.005},
    {"pairs_1_us_apart_every_2_s", Pairs(3000), 1000, 0, 1.0, 0.005},
    {"stall_of_2_s_every_20_s", Stalls(2000), 1000, 0, 1.0, 0.005},
    {"backlog_at_the_start", Backlog(2000), 1000, 0, 1.0, 0.005},
    {"ten_missing_of_1000", Missing(1000, 500, 10), 1000, 1, 1.0, 0.005},
    {"ten_missing_of_1000_gate_unknown", Missing(1000, 500, 10), std::nullopt, 1, 1.0, 0.005},
    {"rate_1_0005_s_jitter_2_ms_in_packets", InPackets(Every(1.0005, 100'000, 0.002)), 1000, 0, 1.0005,
     0.0005},
    // A pause in the first second.
    {"pause_after_the_first", PauseAfterTheFirst(), 1000, 1, 1.0, 0.005},
    {"pause_after_the_first_gate_unknown", PauseAfterTheFirst(), std::nullopt, 1, 1.0, 0.005},
};

class Deliveries : public ::testing::TestWithParam<DeliveryCase> {};

// The engine fed reading by reading, as the live status line and the statistics window
// feed it: the cuts, tau0, and how long a decision waited.
TEST_P(Deliveries, CutWhereReadingsAreMissing)
{
    const DeliveryCase& c = GetParam();
    StabilityEngine engine;
    uint64_t decided = 0;
    uint64_t mostHeld = 0;
    for (const int64_t us : c.stampsUs) {
        const double tS = static_cast<double>(us) / 1e6;
        decided += engine.Add({tS, 1e7 + std::sin(tS / 3.0), c.gateMs}).size();
        mostHeld = std::max(mostHeld, engine.Count() - decided);
    }
    decided += engine.Finish().size();
    EXPECT_EQ(decided, c.stampsUs.size());
    // At most a gate's first deliveries, a few readings each, or one late delivery wait.
    EXPECT_LE(mostHeld, 4 * (GateSpacing::kStartDeliveries + 1));
    const StabilitySummary s = engine.Summary();
    EXPECT_EQ(s.count, c.stampsUs.size());
    EXPECT_EQ(s.gaps, c.gaps);
    EXPECT_EQ(s.restarts, 0u);
    EXPECT_EQ(s.segments, c.gaps + 1);
    EXPECT_NEAR(s.tau0S, c.tau0S, c.tau0S * c.tolerance);
    ASSERT_FALSE(s.adev.empty());
    EXPECT_NEAR(s.adev[0].tauS, c.tau0S, c.tau0S * c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Logs, Deliveries, ::testing::ValuesIn(kDeliveryCases), kRowName);

}  // namespace
