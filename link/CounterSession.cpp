#include "link/CounterSession.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "link/SessionLoop.h"

namespace {
// More records than one read of ReceiveThread::kReadSize bytes can complete.
constexpr std::size_t kBatchCapacity = ReceiveThread::kReadSize / (kRecordLength + 2) + 1;
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
        return OpenFailure{OpenRefusal::Other, EBUSY, port_.OpenedPath(), choice.Number, {}, {}, {}, {}};
    const bool opened = choice.Number != 0 ? port_.Open(choice.Number, bitRate) == 1
                                           : port_.OpenPath(choice.Path, bitRate) == 1;
    if (!opened)
        return port_.LastOpenFailure();
    if (const int error = StartReceiving()) {
        port_.Close();
        return OpenFailure{OpenRefusal::Other, error, port_.OpenedPath(), choice.Number, {}, {}, {}, {}};
    }
    bitRate_ = bitRate;
    connected_ = true;
    // Remembered while the adapter is surely there: its identity leads back to it.
    waiter_ = std::make_unique<DeviceReturnWaiter>(
        RememberDevice(port_.OpenedPath(), folders_), port_.LockFolder(),
        [this](std::shared_ptr<DeviceClaim> claim) {
            // A claim whose work is dropped with the loop closes the device.
            loop_.Post([this, claim] { OnWaitEnded(std::move(*claim)); });
        });
    watch_.Start();
    return port_.GetHandle();
}

// 0, or the errno of why no thread could be had.
int CounterSession::StartReceiving()
{
    stopRequested_.store(0);
    const uint64_t connection = ++connections_;
    for (SessionSink* sink : sinks_)
        sink->OnReceiving(connection);
    try {
        thread_.Start(port_.GetHandle(), [this, connection] {
            loop_.Post([this, connection] { OnPortLost(connection); });
        });
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    liveConnection_ = connection;
    return 0;
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
    try {
        waiter_->Start();
    } catch (const std::system_error& error) {
        GiveUp({OpenRefusal::Other, error.code().value(), port_.OpenedPath(), 0, {}, {}, {}, {}});
    }
}

void CounterSession::OnWaitEnded(DeviceClaim claim)
{
    if (!connected_ || port_.IsOpen())
        return;
    waiter_->Stop();
    if (!port_.Adopt(std::move(claim), bitRate_)) {
        GiveUp(port_.LastOpenFailure());
        return;
    }
    if (const int error = StartReceiving()) {
        port_.Close();
        GiveUp({OpenRefusal::Other, error, port_.OpenedPath(), 0, {}, {}, {}, {}});
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
