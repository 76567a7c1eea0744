#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "link/receive/ReadPacer.h"
#include "system/PortPoll.h"
#include "system/SysResult.h"

class RecordAssembler;

// The worker of one connection: waits for received bytes, takes all the port
// holds in one non-blocking read and feeds them in order to the record
// assembler, each record with the moment its last byte became readable. On a
// busy line it lets bytes gather for a few milliseconds between reads instead
// of waking for each arrival (ReadPacer). StopReceiveThread ends it from the
// window thread, also during the gathering.
class ReceiveThread {
public:
    static constexpr const char* kThreadName = "pelmora-receive";
    static constexpr std::chrono::milliseconds kStopLimit{1000};
    // More than a port receives between two wake-ups; a fuller queue is
    // taken by the next pass.
    static constexpr std::size_t kReadSize = 4096;

    // stopRequested is 1 while a stop is under way; Start expects it at 0.
    ReceiveThread(RecordAssembler& assembler, std::atomic<int32_t>& stopRequested);
    ~ReceiveThread();
    ReceiveThread(const ReceiveThread&) = delete;
    ReceiveThread& operator=(const ReceiveThread&) = delete;

    // Starts the thread on its own duplicate of portFd; fails when no
    // descriptor or thread can be had. When the port hangs up or vanishes,
    // the thread closes its duplicate, calls onHangUp once (on the thread: it
    // must not block) and then only waits for the stop.
    SysStatus Start(int portFd, std::function<void()> onHangUp = {});

    // Sets the flag, wakes the thread wherever it waits and blocks until it
    // acknowledges. After kStopLimit it is abandoned instead: it does no
    // further work and ends by itself. StopRequested is 0 afterwards; returns
    // false for the forced end.
    bool StopReceiveThread();

    bool IsRunning() const { return shared_ != nullptr; }

    // Test seam: runs on the thread after every wait, before the stop test.
    void SetAfterWaitHookForTest(std::function<void()> hook) { afterWaitHook_ = std::move(hook); }
    // Test seam: the running thread, for measuring its CPU time.
    std::thread::native_handle_type NativeHandleForTest() { return thread_.native_handle(); }

private:
    struct Shared;
    // How a wait ended; FirstByte: its span when it waited for the first byte.
    struct Wait {
        portpoll::Event Event;
        std::optional<ReadPacer::FirstByteWait> FirstByte;
    };
    static void Run(std::shared_ptr<Shared> shared);
    static Wait WaitForBytes(Shared& s, const ReadPacer& pacer, bool hungUp);
    static bool LetGoOfPort(Shared& s);

    RecordAssembler& assembler_;
    std::atomic<int32_t>& stopRequested_;
    std::function<void()> afterWaitHook_;
    std::shared_ptr<Shared> shared_;  // null while no thread runs
    std::thread thread_;
};
