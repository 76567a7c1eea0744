#include "link/window/CounterLink.h"

#include "display/Readout.h"
#include "link/port/BaudRateTable.h"

CounterLink::CounterLink(Readout& readout, std::string iniPath, NameFolders folders)
    : timer_([this] { emit NoDataTimerFired(); }),
      presenter_(readout, timer_,
                 [this](uint64_t connection) {
                     // A timer only runs on its own thread: the hand-off goes through the queue.
                     loop_.Post([this, connection] { OnRecordsShown(connection); });
                 }),
      logSink_([&readout]() -> std::optional<LogCapacitors> {
          return readout.With([](ReadoutState& state) { return LogCapacitors{state.C1, state.C2}; });
      }),
      tapSink_(readout), session_(loop_, std::move(iniPath), std::move(folders))
{
    // The link's own sinks, before the first connect; the program adds the
    // sink that serves other programs (CounterDisplayApp) before that too.
    // The log first: a reading on the screen is on its way to the log already.
    session_.AddSink(logSink_);
    session_.AddSink(tapSink_);
    session_.AddSink(presenter_);
    session_.AddSink(*this);
}

CounterLink::~CounterLink()
{
    timer_.Kill();
    Disconnect();
}

bool CounterLink::Connect(int portNumber, int baudIndex)
{
    const auto bitRate = BaudRateTable::At(baudIndex);
    failure_ = {};
    if (IsOpen())
        return false;
    if (portNumber == 0 || !bitRate) {
        failure_.Why = portNumber == 0 ? OpenRefusal::NoPortSelected : OpenRefusal::NoSpeedSelected;
        return false;
    }
    // A running log keeps counting across connections.
    if (!logSink_.IsSet())
        session_.RestartClock();
    const auto opened = session_.Connect({portNumber, {}}, *bitRate);
    if (const auto* failure = std::get_if<OpenFailure>(&opened)) {
        failure_ = *failure;
        return false;
    }
    timer_.Restart();
    return true;
}

void CounterLink::Disconnect()
{
    session_.Stop();
}

void CounterLink::SetLog(std::shared_ptr<RecordLog> log)
{
    if (!log) {
        logSink_.Set(nullptr);
        return;
    }
    session_.RestartClock([this, &log] { logSink_.Set(std::move(log)); });
}

void CounterLink::OnEvent(SessionEvent event)
{
    if (event == SessionEvent::End && session_.EndedBy().Why != OpenRefusal::None)
        emit GaveUp(session_.EndedBy());
}

void CounterLink::TakeRecords()
{
    presenter_.ReopenHandOff();
    if (session_.LiveConnection() != 0)
        timer_.RestartIfRecordSinceFiring();
}

void CounterLink::OnRecordsShown(uint64_t connection)
{
    // A hand-off queued while its connection was being stopped must not
    // restart the watchdog after the disconnect killed it.
    if (connection != session_.LiveConnection())
        return;
    timer_.RestartIfRecordSinceFiring();
    emit RecordsWaiting();
}
