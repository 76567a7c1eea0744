#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/SessionSink.h"

class NoDataTimer;
class Readout;

// The read-out's sink, on the receive thread: writes each read's records into
// the read-out's lines under one readout lock and notes the time for the
// watchdog. After each read, when the lines differ from what the window last
// composed and no hand-off is pending or held, it hands "records wait" to the
// window thread, tagged with the connection it came from. The window composes the
// lines when it takes the changes, so records that come between two paints
// are never drawn. Records that change nothing visible, or come while a
// hand-off is pending or held, cost the window thread nothing; it re-opens the
// hand-off when it takes the changes. Never waits for the window thread.
class RecordPresenter : public SessionSink {
public:
    // post(connection) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection)>;

    RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post);

    // Window thread, while no receive thread runs: the number of the
    // connection whose thread feeds from now on; no hand-off is open then.
    void OnReceiving(uint64_t connection) override;

    // Window thread: the changes posted so far are taken; the next record posts again.
    void ReopenHandOff()
    {
        nextLook_.store(kNoLook);
        handOff_.store(HandOff::Idle);
    }
    // Window thread: records post nothing until the next ReopenHandOff.
    // Returns whether a record changed the lines since the last reopen or hold.
    bool HoldHandOff() { return handOff_.exchange(HandOff::Held) == HandOff::Pending; }

    // Window thread: it looks at the lines by itself at when, and a frame later
    // again while each look finds something new, until the next ReopenHandOff.
    void LookAt(std::chrono::steady_clock::time_point when, std::chrono::milliseconds frame);
    // Just before the window's next look, so that it finds the records read by
    // then; none while records wake the window.
    std::optional<std::chrono::steady_clock::time_point> WantedBy(
        std::chrono::steady_clock::time_point now) const override;

    // An even number of records that only flip the indicator back and forth
    // shows nothing new, and the window sleeps on.
    void OnRecords(std::span<const Reading> readings) override;

private:
    Readout& readout_;
    NoDataTimer& watchdog_;
    Post post_;
    // Written by the window thread before a receive thread starts, read by it.
    std::atomic<uint64_t> connection_{0};
    // Idle: no change since the window looked; the next one posts. Pending:
    // a record changed the lines since. Held: the window looks by itself, no change since.
    // Records exchange in Pending, the window stores Idle or exchanges in Held.
    enum class HandOff { Idle, Pending, Held };
    std::atomic<HandOff> handOff_{HandOff::Idle};
    // Written by the window thread, read by the receive thread; a stale pair only
    // moves one read.
    static constexpr std::chrono::steady_clock::rep kNoLook = 0;
    std::atomic<std::chrono::steady_clock::rep> nextLook_{kNoLook};
    std::atomic<std::chrono::milliseconds::rep> frame_{0};
};
