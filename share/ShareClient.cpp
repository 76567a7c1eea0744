#include "share/ShareClient.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <string_view>

#include "share/ShareLine.h"
#include "system/FileCalls.h"
#include "system/Sockets.h"

namespace {

constexpr size_t kMaxGather = kMaxSendPieces;  // batches handed to one write
constexpr size_t kInputChunk = 4096;

int64_t UtcNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void ShareClient::Queue(const Batch& batch, Clock::time_point now)
{
    if (batches_.empty())
        progress_ = now;
    batches_.push_back(batch);
    queuedBytes_ += batch->size();
    while (queuedBytes_ > kQueueBytes && batches_.size() > 1)
        DropOldest();
}

// The front batch stays when it is partly written (no line is cut) or the
// notice of lines dropped before.
void ShareClient::DropOldest()
{
    const auto oldest = batches_.begin() + (sentOfFront_ != 0 || noticeAtFront_ ? 1 : 0);
    const std::string& text = **oldest;
    const auto lines = static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
    droppedUntold_ += lines;
    droppedTotal_ += lines;
    queuedBytes_ -= text.size();
    batches_.erase(oldest);
}

// At a line boundary, before the lines that came after the gap.
void ShareClient::TellDropped()
{
    if (droppedUntold_ == 0 || sentOfFront_ != 0)
        return;
    if (noticeAtFront_) {
        droppedUntold_ += noticeCount_;
        queuedBytes_ -= batches_.front()->size();
        batches_.pop_front();
    }
    auto line = std::make_shared<std::string>();
    AppendEventLine(*line, kEventDropped, UtcNowMs(), droppedUntold_);
    noticeCount_ = droppedUntold_;
    noticeAtFront_ = true;
    droppedUntold_ = 0;
    queuedBytes_ += line->size();
    batches_.push_front(std::move(line));
}

bool ShareClient::Write(Clock::time_point now)
{
    TellDropped();
    if (batches_.empty())
        return true;
    std::array<std::string_view, kMaxGather> pieces{};
    // Lines went missing after the front batch: the notice goes right after it.
    const size_t gather = droppedUntold_ != 0 ? 1 : kMaxGather;
    size_t count = 0;
    for (auto batch = batches_.begin(); batch != batches_.end() && count < gather; ++batch, ++count) {
        const size_t skip = count == 0 ? sentOfFront_ : 0;
        pieces[count] = std::string_view(**batch).substr(skip);
    }
    const SysResult<size_t> written = SendGathered(fd_.Get(), std::span(pieces.data(), count));
    if (!written)
        return (WouldBlock(written.Error()) || written.Error().Code == EINTR) && now < StallDeadline();
    if (written.Value() > 0)
        progress_ = now;
    size_t left = written.Value();
    while (left > 0) {
        const size_t rest = batches_.front()->size() - sentOfFront_;
        if (left < rest) {
            sentOfFront_ += left;
            break;
        }
        left -= rest;
        queuedBytes_ -= batches_.front()->size();
        batches_.pop_front();
        sentOfFront_ = 0;
        noticeAtFront_ = false;
    }
    TellDropped();
    return true;
}

bool ShareClient::DiscardInput()
{
    std::array<char, kInputChunk> input;
    const SysResult<size_t> got = ReadSome(fd_.Get(), input);
    if (!got)
        return WouldBlock(got.Error());
    if (got.Value() == 0)
        inputOpen_ = false;
    return inputOpen_ || !endsWithInput_;
}
