#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "link/RecordSink.h"

class Readout;
struct AppSettings;

// The program's record sink, on the receive thread: shows each record under
// the readout lock, then hands "restart the watchdog, invalidate if composed"
// to the window thread, tagged with the connection it came from. Never waits
// for the window thread.
class RecordPresenter : public RecordSink {
public:
    // post(connection, composed) must not block; it queues the hand-off.
    using Post = std::function<void(uint64_t connection, bool composed)>;

    RecordPresenter(Readout& readout, const AppSettings& settings,
                    const std::atomic<int32_t>& stopRequested, Post post);

    // The number of the connection whose thread feeds from now on.
    void SetConnection(uint64_t connection) { connection_.store(connection); }

    void OnRecord(const char* record) override;

private:
    Readout& readout_;
    const AppSettings& settings_;  // C1 and C2, read under the readout lock
    const std::atomic<int32_t>& stopRequested_;
    Post post_;
    // Written by the window thread before a receive thread starts, read by it.
    std::atomic<uint64_t> connection_{0};
};
