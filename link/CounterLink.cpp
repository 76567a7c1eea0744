#include "link/CounterLink.h"

#include <system_error>

#include "link/BaudRateTable.h"

CounterLink::CounterLink(Readout& readout, std::string iniPath,
                         std::function<void()> recordsWaiting,
                         std::function<void()> onNoDataTimer)
    : recordsWaiting_(std::move(recordsWaiting)), port_(std::move(iniPath)),
      timer_(std::move(onNoDataTimer)),
      presenter_(readout, timer_,
                 [this](uint64_t connection) { PostToWindow(connection); }),
      assembler_(presenter_), thread_(assembler_, stopRequested_),
      windowContext_(std::make_unique<QObject>())
{
}

CounterLink::~CounterLink()
{
    timer_.Kill();
    Disconnect();
    windowContext_.reset();
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
    if (!port_.Open(portNumber, *bitRate)) {
        failure_ = port_.LastOpenFailure();
        return false;
    }
    stopRequested_.store(0);
    presenter_.SetConnection(++connections_);
    try {
        thread_.Start(port_.GetHandle());
    } catch (const std::system_error& error) {
        failure_ = {OpenRefusal::Other, error.code().value(), DevicePath(portNumber), portNumber, {}, {}};
        port_.Close();
        return false;
    }
    liveConnection_ = connections_;
    timer_.Restart();
    return true;
}

void CounterLink::Disconnect()
{
    if (!IsOpen())
        return;
    if (thread_.IsRunning())
        thread_.StopReceiveThread();
    liveConnection_ = 0;
    port_.Close();
}

void CounterLink::TakeRecords()
{
    presenter_.ReopenHandOff();
    if (liveConnection_ != 0)
        timer_.RestartIfRecordSinceFiring();
}

void CounterLink::PostToWindow(uint64_t connection)
{
    // A timer only runs on its own thread: the hand-off goes through the queue.
    QMetaObject::invokeMethod(
        windowContext_.get(), [this, connection] { OnRecordsShown(connection); },
        Qt::QueuedConnection);
}

void CounterLink::OnRecordsShown(uint64_t connection)
{
    // A hand-off queued while its connection was being stopped must not
    // restart the watchdog after the disconnect killed it.
    if (connection != liveConnection_)
        return;
    timer_.RestartIfRecordSinceFiring();
    if (recordsWaiting_)
        recordsWaiting_();
}
