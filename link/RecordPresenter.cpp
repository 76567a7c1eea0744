#include "link/RecordPresenter.h"

#include "display/Readout.h"
#include "link/RecordDisplay.h"
#include "settings/AppSettings.h"

RecordPresenter::RecordPresenter(Readout& readout, const AppSettings& settings,
                                 const std::atomic<int32_t>& stopRequested, Post post)
    : readout_(readout), settings_(settings), stopRequested_(stopRequested), post_(std::move(post))
{
}

void RecordPresenter::OnRecord(const char* record)
{
    const bool composed = readout_.With([&](ReadoutState& state) {
        return ShowRecord(state, settings_.C1, settings_.C2, record, stopRequested_.load() == 0);
    });
    post_(connection_.load(), composed);
}
