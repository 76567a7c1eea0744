#include "link/CounterLink.h"

#include <system_error>

#include "link/BaudRateTable.h"

CounterLink::CounterLink(Readout& readout, AppSettings& settings, std::string iniPath,
                         std::function<void()> invalidateWindow,
                         std::function<void()> onNoDataTimer)
    : invalidateWindow_(std::move(invalidateWindow)), port_(std::move(iniPath)),
      timer_(std::move(onNoDataTimer)),
      presenter_(readout, settings, stopRequested_,
                 [this](uint64_t connection, bool composed) { PostToWindow(connection, composed); }),
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
    if (IsOpen() || portNumber == 0 || !bitRate)
        return false;
    if (!port_.Open(portNumber, *bitRate))
        return false;
    stopRequested_.store(0);
    presenter_.SetConnection(++connections_);
    try {
        thread_.Start(port_.GetHandle());
    } catch (const std::system_error&) {
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

void CounterLink::PostToWindow(uint64_t connection, bool composed)
{
    // A timer only runs on its own thread: the restart goes through the queue.
    QMetaObject::invokeMethod(
        windowContext_.get(),
        [this, connection, composed] { OnRecordShown(connection, composed); },
        Qt::QueuedConnection);
}

void CounterLink::OnRecordShown(uint64_t connection, bool composed)
{
    // A hand-off queued while its connection was being stopped must not
    // restart the watchdog after the disconnect killed it.
    if (connection != liveConnection_)
        return;
    timer_.Restart();
    if (composed && invalidateWindow_)
        invalidateWindow_();
}
