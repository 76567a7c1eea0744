#include "link/session/CounterSession.h"

#include <cerrno>
#include <cstring>

#include "link/session/SessionLoop.h"

namespace {
// More records than one read of ReceiveThread::kReadSize bytes can complete.
constexpr std::size_t kBatchCapacity = ReceiveThread::kReadSize / (kRecordLength + 2) + 1;

// No thread (or descriptor) to receive or wait with: the port counts as not opened.
OpenFailure NoThread(const SysError& error, const std::string& device, int32_t portNumber = 0)
{
    return OpenFailure{OpenRefusal::Other, error.Code, device, portNumber, {}, {}, {}, {}, {}, {}};
}
}

CounterSession::CounterSession(SessionLoop& loop, std::string iniPath, NameFolders folders,
                               std::string lockFolder)
    : loop_(loop), port_(std::move(iniPath), std::move(lockFolder)), assembler_(*this),
      thread_(assembler_, stopRequested_),
      watch_(loop, [this] { Tell(SessionEvent::NoData); }), folders_(std::move(folders))
{
    batch_.reserve(kBatchCapacity);
}

CounterSession::~CounterSession()
{
    Halt();
}

std::variant<int, OpenFailure> CounterSession::Connect(const PortChoice& choice, uint32_t bitRate)
{
    endedBy_ = {};
    if (connected_)
        return OpenFailure{OpenRefusal::Other, EBUSY, port_.OpenedPath(), choice.Number, {}, {}, {}, {}, {}, {}};
    const bool opened = choice.Number != 0 ? port_.Open(choice.Number, bitRate) == 1
                                           : port_.OpenPath(choice.Path, bitRate) == 1;
    if (!opened)
        return port_.LastOpenFailure();
    if (const SysStatus started = StartReceiving(); !started) {
        port_.Close();
        return NoThread(started.Error(), port_.OpenedPath(), choice.Number);
    }
    bitRate_ = bitRate;
    connected_ = true;
    // Remembered while the adapter is surely there: its identity leads back to it.
    waiter_ = std::make_unique<DeviceReturnWaiter>(
        RememberDevice(port_.OpenedPath(), folders_), port_.LockFolder(),
        [this](std::shared_ptr<Claimed> claimed) {
            // A claim whose work is dropped with the loop closes the device.
            loop_.Post([this, claimed] { OnWaitEnded(std::move(*claimed)); });
        });
    watch_.Start();
    return port_.GetHandle();
}

SysStatus CounterSession::StartReceiving()
{
    stopRequested_.store(0);
    const uint64_t connection = ++connections_;
    for (SessionSink* sink : sinks_)
        sink->OnReceiving(connection);
    const SysStatus started = thread_.Start(port_.GetHandle(), [this, connection] {
        loop_.Post([this, connection] { OnPortLost(connection); });
    });
    if (started)
        liveConnection_ = connection;
    return started;
}

void CounterSession::Stop()
{
    if (!connected_)
        return;
    Halt();
    Tell(SessionEvent::End);
}

void CounterSession::Halt()
{
    if (!connected_)
        return;
    if (waiter_)
        waiter_->Stop();
    if (thread_.IsRunning())
        thread_.StopReceiveThread();
    liveConnection_ = 0;
    port_.Close();
    watch_.Stop();
    connected_ = false;
}

void CounterSession::OnPortLost(uint64_t connection)
{
    if (connection != liveConnection_ || !connected_)
        return;
    // The thread only waits for this stop now; its duplicate is closed already.
    thread_.StopReceiveThread();
    liveConnection_ = 0;
    port_.Close();
    watch_.Stop();
    Tell(SessionEvent::PortLost);
    if (connected_)
        AwaitDevice();
}

void CounterSession::AwaitDevice()
{
    if (const SysStatus started = waiter_->Start(); !started)
        GiveUp(NoThread(started.Error(), port_.OpenedPath()));
}

void CounterSession::OnWaitEnded(Claimed claimed)
{
    if (!connected_ || port_.IsOpen())
        return;
    waiter_->Stop();
    if (!port_.Adopt(std::move(claimed), bitRate_)) {
        GiveUp(port_.LastOpenFailure());
        return;
    }
    if (const SysStatus started = StartReceiving(); !started) {
        port_.Close();
        GiveUp(NoThread(started.Error(), port_.OpenedPath()));
        return;
    }
    watch_.Start();
    Tell(SessionEvent::PortBack);
}

void CounterSession::GiveUp(const OpenFailure& why)
{
    Halt();
    endedBy_ = why;
    Tell(SessionEvent::End);
}

void CounterSession::Tell(SessionEvent event)
{
    for (SessionSink* sink : sinks_)
        sink->OnEvent(event);
}

void CounterSession::RestartClock(const std::function<void()>& alongside)
{
    std::lock_guard<std::mutex> lock(clockMutex_);
    clock_.Restart();
    if (alongside)
        alongside();
}

void CounterSession::OnRecord(const char* record)
{
    OnRecordAt(record, Clock::now());
    OnReadEnd();
}

void CounterSession::OnRecordAt(const char* record, Clock::time_point readable)
{
    Reading& reading = batch_.emplace_back();
    std::memcpy(reading.Record, record, kRecordLength);
    reading.Readable = readable;
}

// The earliest any sink wants them; none when no sink minds.
std::optional<RecordSink::Clock::time_point> CounterSession::WantedBy(Clock::time_point now) const
{
    std::optional<Clock::time_point> earliest;
    for (const SessionSink* sink : sinks_)
        if (const auto wanted = sink->WantedBy(now); wanted && (!earliest || *wanted < *earliest))
            earliest = wanted;
    return earliest;
}

void CounterSession::OnReadEnd()
{
    if (batch_.empty())
        return;
    watch_.NoteRecords();
    {
        std::lock_guard<std::mutex> lock(clockMutex_);
        for (Reading& reading : batch_)
            reading.Stamp = clock_.At(reading.Readable);
        for (SessionSink* sink : sinks_)
            sink->OnRecords(batch_);
    }
    batch_.clear();
}
