#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

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
    void ReopenHandOff() { handOff_.store(HandOff::Idle); }
    // Window thread: records post nothing until the next ReopenHandOff.
    // Returns whether a record changed the lines since the last reopen or hold.
    bool HoldHandOff() { return handOff_.exchange(HandOff::Held) == HandOff::Pending; }

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
};
