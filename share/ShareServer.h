#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <span>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "system/DescriptorWait.h"
#include "system/WakeEvent.h"
#include "system/UniqueFd.h"

class ShareClient;

// Serves the stream on a thread of its own, started with the first listener:
// it blocks in poll on its listeners, its clients and a wake event, and wakes
// on a timeout only while a client has lines waiting (to cut off one that
// takes nothing for ShareClient::kStallLimit, or while lines are gathered).
// Lines come from any thread, one lock per batch; the first of them wakes the
// server, which gathers them until kGathering after the oldest of them came and
// then gives every client one write. A Unix listener accepts only this user's
// processes. At most kMaxClients are served: one more, or one that finds no
// descriptor left, is taken and closed at once (through a descriptor held in
// reserve), so a connection never stays queued and wakes the wait again and
// again; should even that fail, the listeners rest for kAcceptRest.
class ShareServer {
public:
    ShareServer();
    ~ShareServer();
    ShareServer(const ShareServer&) = delete;
    ShareServer& operator=(const ShareServer&) = delete;

    static constexpr const char* kThreadName = "pelmora-share";
    using Clock = std::chrono::steady_clock;
    // Lines go out this long after the oldest of them came, however late the
    // receive thread read it: fewer wakes and writes, and never 50 ms late.
    static constexpr std::chrono::milliseconds kGathering{40};
    // Lines sent while others wait join them up to this size.
    static constexpr size_t kBatchBytes = 64 * 1024;
    static constexpr size_t kMaxClients = 64;
    static constexpr std::chrono::milliseconds kAcceptRest{1000};

    // A Unix listener lets in this user's processes alone, and keeps a client
    // whose input ended (ShareClient.h); a TCP listener lets in anyone.
    enum class Transport { Unix, Tcp };
    // Owner thread: accept on listener from now on; fails when the server's
    // wake event or thread cannot be had (the listener is then closed).
    SysStatus Listen(UniqueFd listener, Transport transport);
    // Owner thread: accept no more on the listeners of transport; the clients stay.
    void StopListening(Transport transport);
    // Owner thread: the clients get one last write, then are let go.
    void CloseClients();

    // Any thread: lines (whole, each ended by "\n") for every client, the oldest
    // of which came at since. Leaves lines empty.
    void Send(std::string& lines, Clock::time_point since = Clock::now());

    // Any thread; a hint that may lag the server's thread by a batch.
    bool HasClients() const { return clientCount_.load(std::memory_order_relaxed) != 0; }
    size_t ClientCount() const { return clientCount_.load(std::memory_order_relaxed); }

private:
    struct Listener {
        UniqueFd fd;
        Transport transport = Transport::Unix;
    };
    // What other threads hand the server's thread.
    struct Inbox {
        std::deque<std::string> batches;
        size_t bytes = 0;
        uint64_t dropped = 0;  // lines of batches that gave way before the server took them
        std::optional<Clock::time_point> due;  // when the lines sent since the last take must go
        std::vector<Listener> listeners;
        std::vector<Transport> stopListening;
        bool closeClients = false;
        bool quit = false;
    };

    void Hand(const std::function<void(Inbox&)>& change);
    void Run();
    // Takes what other threads handed over; the lines only once gathered (or
    // when the clients are let go). False when asked to quit.
    bool TakeInbox(Clock::time_point now);
    void Accept(const Listener& listener, Clock::time_point now);
    // One waiting connection made a client, or refused; the accept's error when none was taken.
    SysStatus AcceptOne(const Listener& listener);
    // A connection there is no room for: taken and closed at once.
    SysStatus TakeAndClose(int listener);
    void ServeClients(std::span<const Watched> events, bool timedOut);
    int PollTimeoutMs() const;

    SysResult<WakeEvent> wake_ = WakeEvent::Create();
    std::mutex mutex_;  // guards inbox_
    Inbox inbox_;
    std::thread thread_;  // owner thread only
    std::atomic<size_t> clientCount_{0};  // written by the server's thread only
    // The server's thread only.
    std::vector<Listener> listeners_;
    UniqueFd spare_;  // held in reserve for TakeAndClose; made before the thread starts
    std::optional<Clock::time_point> restUntil_;  // the listeners are not watched until then
    std::vector<std::unique_ptr<ShareClient>> clients_;
    std::optional<Clock::time_point> gatherUntil_;  // while lines are being gathered
    std::vector<std::shared_ptr<const std::string>> fresh_;  // this wake's batches
    uint64_t freshDropped_ = 0;
};
