#pragma once

#include <vector>

#include "link/session/SessionSink.h"
#include "link/sinks/ReadingTap.h"

class Readout;

// The statistics window's sink: while its tap is open (the window looks), each
// read's readings go into the tap together, with the session's stamps and the
// C1, C2 and L meter line the read-out shows. Closed, the receive thread tests
// the tap's flag and does nothing else.
class TapSink : public SessionSink {
public:
    explicit TapSink(Readout& readout);

    ReadingTap& Tap() { return tap_; }

    void OnRecords(std::span<const Reading> readings) override;

private:
    Readout& readout_;
    ReadingTap tap_;                       // guards itself
    std::vector<TappedReading> tapped_;    // the receive thread's; keeps its capacity
};
