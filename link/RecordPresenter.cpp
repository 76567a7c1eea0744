#include "link/RecordPresenter.h"

#include <utility>

#include "display/Composer.h"
#include "display/Readout.h"
#include "display/ReadoutText.h"
#include "link/NoDataTimer.h"
#include "link/RecordDisplay.h"

RecordPresenter::RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post)
    : readout_(readout), watchdog_(watchdog), post_(std::move(post))
{
}

void RecordPresenter::OnReceiving(uint64_t connection)
{
    connection_.store(connection);
    handOff_.store(HandOff::Idle);
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
