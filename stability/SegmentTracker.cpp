#include "stability/SegmentTracker.h"

SegmentBreak SegmentTracker::Add(const FrequencySample& sample)
{
    GateSpacing& gate = gates_[sample.gateMs];
    SegmentBreak reason = SegmentBreak::None;
    std::optional<int64_t> step;
    if (!last_)
        reason = SegmentBreak::First;
    else if (StepMicroseconds(*last_, sample) < 0)
        reason = SegmentBreak::Restart;
    else if (last_->gateMs != sample.gateMs)
        reason = SegmentBreak::GateChange;
    else
        step = StepMicroseconds(*last_, sample);
    if (gate.Add(step))
        reason = SegmentBreak::Gap;
    last_ = sample;
    return reason;
}

SegmentTracker::Gates::const_iterator SegmentTracker::MainGate() const
{
    auto main = gates_.begin();
    for (auto gate = gates_.begin(); gate != gates_.end(); ++gate) {
        if (gate->second.Readings() > main->second.Readings())
            main = gate;
    }
    return main;
}
