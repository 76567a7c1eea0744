#pragma once

// A descriptor that becomes readable once Signal has been called, so a thread
// blocked in poll can be woken. Throws std::system_error when the system has
// no descriptor to give.
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    void Signal();
    int Descriptor() const { return fd_; }

private:
    int fd_;
};
