#include "link/RecordAssembler.h"

namespace {
constexpr uint8_t kLineFeed = 0x0A;
}

RecordAssembler::RecordAssembler(RecordSink& sink) : sink_(sink) {}

void RecordAssembler::FeedByte(uint8_t byte)
{
    if (byte != kLineFeed) {
        buffer_[length_] = static_cast<char>(byte);
        ++length_;
        return;
    }
    // The character before the line feed (the counter's carriage return) is
    // dropped unseen and the line ends there.
    --length_;
    buffer_[length_] = '\0';
    if (IsRecord())
        sink_.OnRecord(buffer_);
    length_ = 0;
}

bool RecordAssembler::IsRecord() const
{
    return buffer_[3] == ' ' && buffer_[7] == ' ' && length_ == kRecordLength;
}
