#include "link/window/RecordPresenter.h"

#include <cstdint>
#include <utility>

#include "display/Composer.h"
#include "display/Readout.h"
#include "display/ReadoutText.h"
#include "link/window/NoDataTimer.h"
#include "lmeter/Inductance.h"

RecordPresenter::RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post)
    : readout_(readout), watchdog_(watchdog), post_(std::move(post))
{
}

void RecordPresenter::OnReceiving(uint64_t connection)
{
    connection_.store(connection);
    ReopenHandOff();
}

void RecordPresenter::LookAt(std::chrono::steady_clock::time_point when, std::chrono::milliseconds frame)
{
    frame_.store(frame.count());
    nextLook_.store(when.time_since_epoch().count());
}

std::optional<std::chrono::steady_clock::time_point> RecordPresenter::WantedBy(
    std::chrono::steady_clock::time_point now) const
{
    using Clock = std::chrono::steady_clock;
    // Ahead of the look by more than a read and a wake-up take on a busy machine.
    constexpr auto kReadLead = std::chrono::milliseconds(3);
    // A record that wakes the window is painted at most a frame after the one before.
    constexpr auto kWakeLead = std::chrono::milliseconds(5);
    const Clock::rep look = nextLook_.load();
    const std::chrono::milliseconds frame(frame_.load());
    if (frame.count() <= 0)
        return std::nullopt;
    if (look == kNoLook)  // records wake the window: read in time to be painted within their frame
        return now + frame - kWakeLead;
    auto wanted = Clock::time_point(Clock::duration(look)) - kReadLead;
    if (wanted <= now)  // that look is under way: the one after it
        wanted += frame * (1 + (now - wanted) / frame);
    return wanted;
}

void RecordPresenter::OnRecords(std::span<const Reading> readings)
{
    if (readings.empty())
        return;
    const bool shows = readout_.With([readings](ReadoutState& state) {
        // Only the last record's lines can be seen; those before it only advance the indicator.
        for (std::size_t i = 0; i + 1 < readings.size(); ++i)
            AdvanceIndicator(state.Indicator);
        ShowRecord(state, state.C1, state.C2, readings.back().Record, false);
        return ComposeWouldDraw(state);
    });
    watchdog_.NoteRecord();
    if (shows && handOff_.exchange(HandOff::Pending) == HandOff::Idle)
        post_(connection_.load());
}

bool ShowRecord(ReadoutState& state, double c1, double c2, const char* record, bool compose)
{
    FormatFrequencyLine(state.Text, state.Indicator, record);
    FormatStatusLine(state.Text, record);
    // A negative field ("-000000001") reaches the calculation as its 32-bit pattern.
    const auto frequency = static_cast<uint32_t>(RecordFrequency(record));
    FormatInductanceLine(state.Text, ComputeInductance(frequency, c1, c2));
    if (compose)
        ComposeReadout(state);
    return compose;
}

bool ShowNoData(ReadoutState& state, bool compose)
{
    WriteNoDataText(state.Text, state.Indicator);
    if (compose)
        ComposeReadout(state);
    return compose;
}
