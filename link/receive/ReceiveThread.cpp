#include "link/receive/ReceiveThread.h"

#include <condition_variable>
#include <mutex>

#include "link/receive/ReadPacer.h"
#include "link/receive/RecordAssembler.h"
#include "system/NamedThread.h"
#include "system/PortPoll.h"
#include "system/Tty.h"
#include "system/UniqueFd.h"
#include "system/WakeEvent.h"

// What one connection's thread and its stopper share. The thread keeps it
// alive after a forced end, so the descriptors close when the thread is done.
struct ReceiveThread::Shared {
    Shared(UniqueFd portFd, WakeEvent wake, RecordAssembler& assembler, std::atomic<int32_t>& stop,
           std::function<void()> hook, std::function<void()> onHangUp)
        : PortFd(std::move(portFd)), Wake(std::move(wake)), Assembler(assembler), StopRequested(stop),
          AfterWaitHook(std::move(hook)), OnHangUp(std::move(onHangUp))
    {
    }

    UniqueFd PortFd;  // the thread's own duplicate; only the thread uses or closes it
    WakeEvent Wake;
    RecordAssembler& Assembler;
    std::atomic<int32_t>& StopRequested;
    const std::function<void()> AfterWaitHook;
    const std::function<void()> OnHangUp;

    // Guards Abandoned and every use of Assembler and StopRequested by the
    // thread, so a thread found mid-pass finishes it before it is abandoned.
    std::mutex Mutex;
    std::condition_variable Acknowledged;
    bool Abandoned = false;
};

ReceiveThread::ReceiveThread(RecordAssembler& assembler, std::atomic<int32_t>& stopRequested)
    : assembler_(assembler), stopRequested_(stopRequested)
{
}

ReceiveThread::~ReceiveThread()
{
    if (IsRunning())
        StopReceiveThread();
}

SysStatus ReceiveThread::Start(int portFd, std::function<void()> onHangUp)
{
    SysResult<UniqueFd> duplicate = tty::Duplicate(portFd);
    if (!duplicate)
        return duplicate.Error();
    SysResult<WakeEvent> wake = WakeEvent::Create();
    if (!wake)
        return wake.Error();
    auto shared = std::make_shared<Shared>(std::move(duplicate).Value(), std::move(wake).Value(), assembler_,
                                           stopRequested_, afterWaitHook_, std::move(onHangUp));
    SysResult<std::thread> thread = StartNamedThread(kThreadName, [shared] { Run(shared); });
    if (!thread)
        return thread.Error();
    thread_ = std::move(thread).Value();
    shared_ = std::move(shared);
    return Done{};
}

bool ReceiveThread::StopReceiveThread()
{
    std::unique_lock lock(shared_->Mutex);
    stopRequested_.store(1);
    shared_->Wake.Signal();
    const bool acknowledged = shared_->Acknowledged.wait_for(
        lock, kStopLimit, [this] { return stopRequested_.load() == 0; });
    if (!acknowledged)
        shared_->Abandoned = true;
    stopRequested_.store(0);
    lock.unlock();
    if (acknowledged)
        thread_.join();
    else
        thread_.detach();
    shared_.reset();
    return acknowledged;
}

namespace {

// True when the thread must end: abandoned, or a stop to acknowledge.
bool EndRequested(std::atomic<int32_t>& stopRequested, bool abandoned,
                  std::condition_variable& acknowledged)
{
    if (abandoned)
        return true;
    if (stopRequested.load() != 1)
        return false;
    stopRequested.store(0);
    acknowledged.notify_all();
    return true;
}

}  // namespace

void ReceiveThread::Run(std::shared_ptr<Shared> shared)
{
    Shared& s = *shared;
    uint8_t buffer[kReadSize];
    ReadPacer pacer(tty::BitRate(s.PortFd.Get()));
    bool hungUp = false;
    for (;;) {
        const Wait wait = WaitForBytes(s, pacer, hungUp);
        if (s.AfterWaitHook)
            s.AfterWaitHook();
        {
            std::lock_guard lock(s.Mutex);
            if (EndRequested(s.StopRequested, s.Abandoned, s.Acknowledged))
                return;
        }
        if (wait.Event == portpoll::Event::HungUp)
            hungUp = LetGoOfPort(s);
        if (wait.Event != portpoll::Event::Data)
            continue;
        const SysResult<std::size_t> read = tty::ReadSome(s.PortFd.Get(), buffer, kReadSize);
        const std::size_t taken = read.Ok() ? read.Value() : 0;
        const ReadPass pass = pacer.Took(wait.FirstByte, ReadPass::Clock::now(), taken);
        {
            std::lock_guard lock(s.Mutex);
            if (s.Abandoned)
                return;
            s.Assembler.Feed(buffer, taken, pass);
        }
        if (!read)
            hungUp = LetGoOfPort(s);
    }
}

// A quiet line: sleeps until the first byte, which is read at once. A busy one:
// sleeps while bytes gather (ReadPacer). Either way the stop wakes it at once.
ReceiveThread::Wait ReceiveThread::WaitForBytes(Shared& s, const ReadPacer& pacer, bool hungUp)
{
    // A vanished device reports hang-up at once on every poll: from then on
    // only the stop is waited for.
    if (hungUp) {
        portpoll::WaitForWake(s.Wake.Descriptor());
        return {portpoll::Event::Woken, std::nullopt};
    }
    if (pacer.Gathering()) {
        const auto now = ReadPass::Clock::now();
        std::optional<ReadPass::Clock::time_point> wanted;
        {
            std::lock_guard lock(s.Mutex);
            if (!s.Abandoned)
                wanted = s.Assembler.WantedBy(now);
        }
        const bool woken = portpoll::WaitForWakeUntil(s.Wake.Descriptor(), pacer.GatherUntil(now, wanted));
        return {woken ? portpoll::Event::Woken : portpoll::Event::Data, std::nullopt};
    }
    const auto began = ReadPass::Clock::now();
    const auto event = portpoll::WaitForPort(s.PortFd.Get(), s.Wake.Descriptor());
    return {event, ReadPacer::FirstByteWait{began, ReadPass::Clock::now()}};
}

// The old node stays busy while any descriptor holds it, and an adapter
// plugged back in would then come back under another name.
bool ReceiveThread::LetGoOfPort(Shared& s)
{
    s.PortFd.Reset();
    if (s.OnHangUp)
        s.OnHangUp();
    return true;
}
