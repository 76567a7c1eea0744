#pragma once

#include "system/SysResult.h"
#include "system/UniqueFd.h"

// A descriptor that becomes readable once Signal has been called, so a thread
// blocked in poll can be woken.
class WakeEvent {
public:
    // Fails when the system has no descriptor to give.
    static SysResult<WakeEvent> Create();

    void Signal();
    // Readable no more until the next Signal (for a loop that is woken again and again).
    void Clear();
    int Descriptor() const { return fd_.Get(); }

private:
    explicit WakeEvent(UniqueFd fd) : fd_(std::move(fd)) {}

    UniqueFd fd_;
};
