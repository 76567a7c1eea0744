#include "link/receive/ReadPacer.h"

#include <algorithm>
#include <optional>

#include "link/receive/RecordAssembler.h"

namespace {

constexpr long kBitsPerByte = 10;  // start bit, eight data bits, stop bit
constexpr long kRecordWireBytes = kRecordLength + 2;  // with carriage return and line feed

std::chrono::nanoseconds ByteTimeAt(uint32_t bitsPerSecond)
{
    if (bitsPerSecond == 0)
        return std::chrono::nanoseconds::zero();
    return std::chrono::nanoseconds(kBitsPerByte * 1'000'000'000L / bitsPerSecond);
}

}  // namespace

ReadPacer::ReadPacer(uint32_t bitsPerSecond)
    : byteTime_(ByteTimeAt(bitsPerSecond)), recordTime_(byteTime_ * kRecordWireBytes)
{
}

ReadPacer::Clock::time_point ReadPacer::GatherUntil(Clock::time_point now,
                                                    std::optional<Clock::time_point> wanted) const
{
    const auto latest = wanted ? std::clamp<Clock::time_point>(*wanted, now + kGather, now + kLongestGather)
                               : now + kGather;
    if (!lastByte_ || recordTime_ > kGather)
        return latest;
    const auto span = wanted ? latest - *lastByte_ : Clock::duration(kGather);
    const auto records = std::max<long>(1, span / recordTime_);
    const auto due = *lastByte_ + std::chrono::duration_cast<Clock::duration>(recordTime_ * records) +
                     kReadMargin;
    return std::clamp(due, now, latest);
}

ReadPass ReadPacer::Took(std::optional<FirstByteWait> wait, Clock::time_point readAt,
                         std::size_t count)
{
    const auto lineTime = std::chrono::duration_cast<Clock::duration>(byteTime_ * static_cast<long>(count));
    const bool woke = wait && (wait->Returned - wait->Began >= kSlept || !lastByte_);
    ReadPass pass;
    pass.ReadAt = readAt;
    pass.ByteTime = byteTime_;
    if (lastRead_)
        pass.Since = *lastRead_;
    if (woke) {
        pass.Anchor = wait->Returned;
        pass.ReadableAtAnchor = count;
    } else {
        pass.Anchor = lastByte_.value_or(readAt);
        if (wait)  // they waited since shortly before the wait began, as far as the line tells
            pass.Since = std::max(pass.Since, wait->Began - lineTime - kLagLimit);
    }
    lastRead_ = readAt;
    if (count == 0) {
        gathering_ = false;
        return pass;
    }
    const bool keptPace = woke ? lastByte_ && wait->Returned <= *lastByte_ + lineTime + kLagLimit
                               : readAt - pass.ReadableAt(count - 1) <= kLagLimit;
    gathering_ = byteTime_.count() > 0 && keptPace;
    lastByte_ = pass.ReadableAt(count - 1);
    return pass;
}
