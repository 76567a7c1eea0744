#include "link/CounterLink.h"

#include <cerrno>
#include <system_error>

#include "link/BaudRateTable.h"

CounterLink::CounterLink(Readout& readout, std::string iniPath,
                         std::function<void()> recordsWaiting,
                         std::function<void()> onNoDataTimer, NameFolders folders)
    : recordsWaiting_(std::move(recordsWaiting)), port_(std::move(iniPath)),
      timer_(std::move(onNoDataTimer)),
      presenter_(readout, timer_,
                 [this](uint64_t connection) { PostToWindow(connection); }),
      assembler_(presenter_), thread_(assembler_, stopRequested_),
      folders_(std::move(folders)), windowContext_(std::make_unique<QObject>())
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
    presenter_.RestartClock();
    if (!StartReceiving()) {
        failure_ = {OpenRefusal::Other, errno, DevicePath(portNumber), portNumber, {}, {}, {}, {}};
        port_.Close();
        return false;
    }
    bitRate_ = *bitRate;
    connected_ = true;
    // Remembered while the adapter is surely there: its identity leads back to it.
    waiter_ = std::make_unique<DeviceReturnWaiter>(
        RememberDevice(port_.OpenedPath(), folders_), port_.LockFolder(),
        [this](std::shared_ptr<DeviceClaim> claim) {
            // A claim whose call is dropped with the context closes the device.
            QMetaObject::invokeMethod(
                windowContext_.get(), [this, claim] { OnWaitEnded(std::move(*claim)); },
                Qt::QueuedConnection);
        });
    timer_.Restart();
    return true;
}

bool CounterLink::StartReceiving()
{
    stopRequested_.store(0);
    const uint64_t connection = ++connections_;
    presenter_.SetConnection(connection);
    try {
        thread_.Start(port_.GetHandle(), [this, connection] {
            QMetaObject::invokeMethod(
                windowContext_.get(), [this, connection] { OnPortLost(connection); },
                Qt::QueuedConnection);
        });
    } catch (const std::system_error& error) {
        errno = error.code().value();
        return false;
    }
    liveConnection_ = connection;
    return true;
}

void CounterLink::Disconnect()
{
    if (!IsOpen())
        return;
    if (waiter_)
        waiter_->Stop();
    if (thread_.IsRunning())
        thread_.StopReceiveThread();
    liveConnection_ = 0;
    port_.Close();
    connected_ = false;
}

void CounterLink::OnPortLost(uint64_t connection)
{
    if (connection != liveConnection_ || !connected_)
        return;
    // The thread only waits for this stop now; its duplicate is closed already.
    thread_.StopReceiveThread();
    liveConnection_ = 0;
    port_.Close();
    AwaitDevice();
}

void CounterLink::AwaitDevice()
{
    try {
        waiter_->Start();
    } catch (const std::system_error& error) {
        GiveUp({OpenRefusal::Other, error.code().value(), port_.OpenedPath(), 0, {}, {}, {}, {}});
    }
}

void CounterLink::OnWaitEnded(DeviceClaim claim)
{
    if (!connected_ || port_.IsOpen())
        return;
    waiter_->Stop();
    if (!port_.Adopt(std::move(claim), bitRate_)) {
        GiveUp(port_.LastOpenFailure());
    } else if (!StartReceiving()) {
        const int error = errno;
        port_.Close();
        GiveUp({OpenRefusal::Other, error, port_.OpenedPath(), 0, {}, {}, {}, {}});
    }
}

void CounterLink::GiveUp(const OpenFailure& why)
{
    Disconnect();
    if (gaveUp_)
        gaveUp_(why);
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
