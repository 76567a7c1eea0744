#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "display/Readout.h"
#include "link/session/SessionSink.h"

class NoDataTimer;

// What the read-out shows of a record or of silence; both run with the readout
// lock held by the caller and return whether they composed (the caller then
// invalidates).
// An accepted record: frequency line with the indicator, status line,
// inductance line from c1 and c2 (µF), then the back buffer when compose is true.
bool ShowRecord(ReadoutState& state, double c1, double c2, const char* record, bool compose);
// The watchdog's no-data text into the frequency line, then the back buffer
// when compose is true.
bool ShowNoData(ReadoutState& state, bool compose);

// The read-out's sink and the receive thread's half of the paint hand-off.
//
// How a record reaches the painted window, the one description of it:
// 1. Receive thread (OnRecords): each read's records are written into the
//    read-out's lines under one readout lock, and the time is noted for the
//    watchdog. Only when the lines now differ from what the window last
//    composed and the hand-off is Idle does it become Pending and post
//    "records wait", tagged with its connection. Records that change nothing
//    visible, or come while a hand-off is Pending or Held, cost the window
//    thread nothing. The receive thread never waits for the window thread.
// 2. Window thread (CounterLink): a post of a connection no longer live is
//    dropped; otherwise the watchdog restarts if it had fired, and the link
//    emits RecordsWaiting.
// 3. Window thread (ReadoutPresenter): at most one paint per frame. A paint
//    due now reopens the hand-off (Idle) and takes the changes: it composes
//    the lines then, so records that came between two paints are never drawn.
//    A paint not yet due waits for its frame; then the window holds the
//    hand-off (Held) and, while each frame finds something new, looks again
//    at the next frame by itself and records wake nobody. A frame with
//    nothing new reopens the hand-off and gives the waking back to them.
// Each frame the window waits for is told to the receive thread (LookAt), which
// then lets the bytes gather until just before it (WantedBy) instead of reading
// every few milliseconds; while records wake the window, for up to a frame less
// kWakeLead, so that the paint still comes within a frame: on a busy line about
// one read per frame either way.
class RecordPresenter : public SessionSink {
public:
    // post(connection) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection)>;

    RecordPresenter(Readout& readout, NoDataTimer& watchdog, Post post);

    // Window thread, while no receive thread runs: the number of the
    // connection whose thread feeds from now on; no hand-off is open then.
    void OnReceiving(uint64_t connection) override;

    // Window thread: Idle; the next record that changes the lines posts again.
    void ReopenHandOff()
    {
        nextLook_.store(kNoLook);
        handOff_.store(HandOff::Idle);
    }
    // Window thread: Held. Returns whether a record changed the lines since
    // the last reopen or hold.
    bool HoldHandOff() { return handOff_.exchange(HandOff::Held) == HandOff::Pending; }

    // Window thread: it looks at the lines by itself at when, and a frame later
    // again while each look finds something new, until the next ReopenHandOff.
    void LookAt(std::chrono::steady_clock::time_point when, std::chrono::milliseconds frame);
    // Just before the window's next look, so that it finds the records read by
    // then; while records wake the window, soon enough for a paint within their
    // frame. None before the window told its frame.
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
    // Records exchange in Pending, the window stores Idle or exchanges in Held.
    enum class HandOff { Idle, Pending, Held };
    std::atomic<HandOff> handOff_{HandOff::Idle};
    // Written by the window thread, read by the receive thread; a stale pair only
    // moves one read.
    static constexpr std::chrono::steady_clock::rep kNoLook = 0;
    std::atomic<std::chrono::steady_clock::rep> nextLook_{kNoLook};
    std::atomic<std::chrono::milliseconds::rep> frame_{0};
};
