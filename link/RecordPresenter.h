#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "link/RecordSink.h"

class NoDataTimer;
class Readout;
struct AppSettings;

// The program's record sink, on the receive thread: writes each record's
// lines into the read-out under the readout lock, notes its time for the
// watchdog and, unless a hand-off is already open, hands "records wait" to the
// window thread, tagged with the connection it came from. The window composes
// the lines when it takes the changes, so records that come between two paints
// are never drawn. Records that come while a hand-off is open cost the window
// thread nothing; it re-opens the hand-off when it takes the changes. Never
// waits for the window thread.
class RecordPresenter : public RecordSink {
public:
    // post(connection) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection)>;

    RecordPresenter(Readout& readout, const AppSettings& settings, NoDataTimer& watchdog, Post post);

    // Window thread, while no receive thread runs: the number of the
    // connection whose thread feeds from now on; no hand-off is open then.
    void SetConnection(uint64_t connection);

    // Window thread: the changes posted so far are taken; the next record posts again.
    void ReopenHandOff() { handOff_.store(HandOff::Open); }
    // Window thread: records post nothing until the next ReopenHandOff.
    // Returns whether a record came since the last reopen or hold.
    bool HoldHandOff() { return handOff_.exchange(HandOff::Held) == HandOff::Taken; }

    void OnRecord(const char* record) override;

private:
    Readout& readout_;
    const AppSettings& settings_;  // C1 and C2, read under the readout lock
    NoDataTimer& watchdog_;
    Post post_;
    // Written by the window thread before a receive thread starts, read by it.
    std::atomic<uint64_t> connection_{0};
    // Open: the next record posts. Taken: a record came since the window
    // last looked. Held: the window looks by itself, no record since.
    // Records exchange in Taken, the window Open or Held; atomic.
    enum class HandOff { Open, Taken, Held };
    std::atomic<HandOff> handOff_{HandOff::Open};
};
