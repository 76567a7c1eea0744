#include "link/RecordPresenter.h"

#include <utility>

#include "display/Composer.h"
#include "display/Readout.h"
#include "display/ReadoutText.h"
#include "link/NoDataTimer.h"
#include "link/RecordDisplay.h"
#include "lmeter/Inductance.h"
#include "link/RecordLog.h"
#include "link/RecordRow.h"

RecordPresenter::RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post)
    : readout_(readout), watchdog_(watchdog), post_(std::move(post))
{
}

void RecordPresenter::SetConnection(uint64_t connection)
{
    connection_.store(connection);
    handOff_.store(HandOff::Idle);
}

void RecordPresenter::SetLog(std::shared_ptr<RecordLog> log)
{
    std::lock_guard<std::mutex> lock(logMutex_);
    log_ = std::move(log);
}

std::shared_ptr<RecordLog> RecordPresenter::CurrentLog()
{
    std::lock_guard<std::mutex> lock(logMutex_);
    return log_;
}

void RecordPresenter::OnRecord(const char* record)
{
    OnRecordAt(record, Clock::now());
    OnReadEnd();
}

void RecordPresenter::OnRecordAt(const char* record, Clock::time_point readable)
{
    LogCapacitors capacitors;
    bool inductanceShown = false;
    readout_.With([&](ReadoutState& state) {
        ShowRecord(state, state.C1, state.C2, record, false);
        capacitors = {state.C1, state.C2};
        inductanceShown = state.LMeterVisible == 1;
    });
    std::optional<LogTime> logged;
    if (const auto log = CurrentLog())
        logged = log->Add(record, capacitors, readable);
    if (tap_.IsOpen())
        TapRecord(record, logged ? *logged : clock_.At(readable), inductanceShown, capacitors);
    watchdog_.NoteRecord();
    recordsInRead_ = true;
}

// Once per read: an even number of records that only flip the indicator back
// and forth shows nothing new, and the window sleeps on.
void RecordPresenter::OnReadEnd()
{
    if (!std::exchange(recordsInRead_, false))
        return;
    const bool shows = readout_.With([](ReadoutState& state) { return ComposeWouldDraw(state); });
    if (shows && handOff_.exchange(HandOff::Pending) == HandOff::Idle)
        post_(connection_.load());
}

void RecordPresenter::TapRecord(const char* record, const LogTime& time, bool inductanceShown,
                                const LogCapacitors& capacitors)
{
    TappedReading reading;
    const uint32_t frequency = RecordFrequency(record);
    reading.sample = {static_cast<double>(time.elapsedUs) / 1e6, static_cast<double>(frequency),
                      RecordGateMs(record)};
    if (inductanceShown)
        reading.inductanceUh = ComputeInductance(frequency, capacitors.c1, capacitors.c2);
    reading.capacitors = capacitors;
    tap_.Push(reading);
}
