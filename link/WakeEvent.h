#pragma once

#include "system/UniqueFd.h"

// A descriptor that becomes readable once Signal has been called, so a thread
// blocked in poll can be woken. Throws std::system_error when the system has
// no descriptor to give.
class WakeEvent {
public:
    WakeEvent();

    void Signal();
    // Readable no more until the next Signal (for a loop that is woken again and again).
    void Clear();
    int Descriptor() const { return fd_.Get(); }

private:
    UniqueFd fd_;
};
