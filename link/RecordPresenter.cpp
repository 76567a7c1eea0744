#include "link/RecordPresenter.h"

#include "display/Readout.h"
#include "link/NoDataTimer.h"
#include "link/RecordDisplay.h"
#include "settings/AppSettings.h"

RecordPresenter::RecordPresenter(Readout& readout, const AppSettings& settings,
                                 NoDataTimer& watchdog, Post post)
    : readout_(readout), settings_(settings), watchdog_(watchdog), post_(std::move(post))
{
}

void RecordPresenter::SetConnection(uint64_t connection)
{
    connection_.store(connection);
    handOff_.store(HandOff::Idle);
}

void RecordPresenter::OnRecord(const char* record)
{
    readout_.With([&](ReadoutState& state) {
        ShowRecord(state, settings_.C1, settings_.C2, record, false);
    });
    watchdog_.NoteRecord();
    if (handOff_.exchange(HandOff::Pending) == HandOff::Idle)
        post_(connection_.load());
}
