#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "system/UniqueFd.h"

// One connected reader of the stream, on the server's thread. Lines wait in a
// bounded queue of whole batches shared with the other clients; past the bound
// the oldest waiting batches give way (their lines counted and told in a
// "dropped" line where the gap is), so a reader that stops never holds up the
// rest. What it sends is read and thrown away. On TCP a reader that closed and
// one that only shut its sending side look the same until a write fails, so
// there the end of its input ends it; on a Unix socket a close shows as a
// hang-up, and a reader that only shut its sending side keeps its lines.
class ShareClient {
public:
    using Clock = std::chrono::steady_clock;
    using Batch = std::shared_ptr<const std::string>;

    static constexpr size_t kQueueBytes = size_t{4} << 20;
    static constexpr std::chrono::seconds kStallLimit{60};

    ShareClient(UniqueFd fd, bool endsWithInput) : fd_(std::move(fd)), endsWithInput_(endsWithInput) {}

    int Descriptor() const { return fd_.Get(); }

    void Queue(const Batch& batch, Clock::time_point now);
    // Lines that gave way before they reached its queue.
    void CountDropped(uint64_t lines)
    {
        droppedUntold_ += lines;
        droppedTotal_ += lines;
    }
    // One write of what waits. False when the reader is gone or has taken no
    // byte for kStallLimit while lines waited.
    bool Write(Clock::time_point now);
    // One bounded read of its input, thrown away. False on an error, and at the
    // input's end where that ends the reader; else it is not read again.
    bool DiscardInput();
    bool InputOpen() const { return inputOpen_; }

    bool HasUnsent() const { return !batches_.empty(); }
    // When it is cut off unless it takes a byte before.
    Clock::time_point StallDeadline() const { return progress_ + kStallLimit; }
    uint64_t Dropped() const { return droppedTotal_; }

private:
    void DropOldest();
    void TellDropped();

    UniqueFd fd_;
    bool endsWithInput_;
    std::deque<Batch> batches_;
    size_t sentOfFront_ = 0;  // bytes of the front batch already written
    size_t queuedBytes_ = 0;
    uint64_t droppedUntold_ = 0;
    bool inputOpen_ = true;
    bool noticeAtFront_ = false;  // the front batch is an unsent "dropped" line
    uint64_t noticeCount_ = 0;    // the count it tells
    uint64_t droppedTotal_ = 0;
    Clock::time_point progress_{};  // the last byte taken, or when lines began to wait
};
