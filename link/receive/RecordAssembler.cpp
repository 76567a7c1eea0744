#include "link/receive/RecordAssembler.h"

#include "link/receive/ReadPass.h"

namespace {
constexpr uint8_t kLineFeed = 0x0A;
}

RecordAssembler::RecordAssembler(RecordSink& sink) : sink_(sink) {}

void RecordAssembler::FeedByte(uint8_t byte)
{
    if (const char* record = Take(byte))
        sink_.OnRecord(record);
}

void RecordAssembler::Feed(const uint8_t* bytes, std::size_t count, const ReadPass& pass)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (const char* record = Take(bytes[i]))
            sink_.OnRecordAt(record, pass.ReadableAt(i));
    }
    sink_.OnReadEnd();
}

const char* RecordAssembler::Take(uint8_t byte)
{
    if (byte != kLineFeed) {
        buffer_[length_] = static_cast<char>(byte);
        ++length_;
        return nullptr;
    }
    // The character before the line feed (the counter's carriage return) is
    // dropped unseen and the line ends there.
    --length_;
    buffer_[length_] = '\0';
    const bool record = IsRecord();
    length_ = 0;
    return record ? buffer_ : nullptr;
}

bool RecordAssembler::IsRecord() const
{
    return buffer_[3] == ' ' && buffer_[7] == ' ' && length_ == kRecordLength;
}
