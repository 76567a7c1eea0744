#include "stability/SegmentTracker.h"

SegmentBreak SegmentTracker::Add(const FrequencySample& sample)
{
    SegmentBreak reason = SegmentBreak::None;
    int64_t step = 0;
    if (!last_)
        reason = SegmentBreak::First;
    else if ((step = StepMicroseconds(*last_, sample)) < 0)
        reason = SegmentBreak::Restart;
    else if (last_->gateMs != sample.gateMs)
        reason = SegmentBreak::GateChange;
    if (reason == SegmentBreak::None) {
        last_ = sample;
        Continue(step);
    } else {
        Settle();  // the run before, with what is known of its gate
        last_ = sample;
        breaks_.PushBack({added_, reason});
        BeginRun(sample);
    }
    ++added_;
    Recount();
    return reason;
}

void SegmentTracker::Finish()
{
    Settle();
    Recount();
}

std::optional<SegmentBreak> SegmentTracker::Next()
{
    if (taken_ == decided_)
        return std::nullopt;
    SegmentBreak reason = SegmentBreak::None;
    if (!breaks_.Empty() && breaks_.Front().reading == taken_) {
        reason = breaks_.Front().reason;
        breaks_.PopFront();
    }
    ++taken_;
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

void SegmentTracker::BeginRun(const FrequencySample& sample)
{
    inOther_ = !gates_.contains(sample.gateMs) && gates_.size() == kFullGates;
    if (inOther_)
        other_.emplace(sample.gateMs);
    else
        gates_.try_emplace(sample.gateMs, sample.gateMs);
    otherReadings_ += inOther_ ? 1 : 0;
    Run().Count(std::nullopt);
    current_ = Delivery{.readings = 1, .first = added_};
}

void SegmentTracker::Continue(int64_t stepUs)
{
    Run().Count(stepUs);
    otherReadings_ += inOther_ ? 1 : 0;
    if (stepUs >= kDeliveryUs) {
        Close();
        current_ = Delivery{.intervalUs = stepUs, .readings = 1, .first = added_, .follows = true};
        current_.held = !waiting_.Empty() || IsGap(current_, SpacingNow());
        if (!current_.held) {
            current_.accepted = true;
            Run().Accept(stepUs, 1);
        }
        return;
    }
    ++current_.readings;
    current_.intervalUs += stepUs;
    if (!current_.held) {
        if (current_.accepted)
            Run().Accept(stepUs, 1);
        return;
    }
    // Each reading of a delivery takes less time than it accounts for, so one that is
    // no gap now stays none however many follow.
    const double spacing = SpacingNow();
    if (waiting_.Empty() && spacing >= kDeliveryUs && !IsGap(current_, spacing)) {
        current_.held = false;
        current_.accepted = true;
        Run().Accept(current_.intervalUs, current_.readings);
    } else if (added_ + 1 - (waiting_.Empty() ? current_.first : waiting_.Front().first) >= kMostHeld) {
        Settle();
    }
}

void SegmentTracker::Close()
{
    const bool wasStarted = Run().Started();
    if (current_.follows && !current_.noted)
        Run().NoteStart(current_.intervalUs, current_.readings);
    current_.noted = true;
    if (current_.held) {
        waiting_.PushBack(current_);
        current_.held = false;
    }
    if (waiting_.Empty() || !Run().Started())
        return;
    Judge(wasStarted ? Run().JudgingUs() : Run().StartUs());
}

void SegmentTracker::Settle()
{
    if (!last_)
        return;
    Close();
    if (!waiting_.Empty())
        Judge(Run().StartUs());
}

void SegmentTracker::Judge(double spacingUs)
{
    for (const Delivery& delivery : waiting_) {
        const bool gap = IsGap(delivery, spacingUs);
        if (gap)
            breaks_.PushBack({delivery.first, SegmentBreak::Gap});  // after every break before it
        else
            Run().Accept(delivery.intervalUs, delivery.readings);
        if (delivery.first == current_.first)
            current_.accepted = !gap;
    }
    waiting_.Clear();
}

void SegmentTracker::Recount()
{
    decided_ = !waiting_.Empty() ? waiting_.Front().first : current_.held ? current_.first : added_;
}

// More time since the delivery before than its readings account for, by more than
// one spacing and the allowance: readings are missing.
bool SegmentTracker::IsGap(const Delivery& delivery, double spacingUs)
{
    return static_cast<double>(delivery.intervalUs) >
           static_cast<double>(delivery.readings + 1) * spacingUs + static_cast<double>(kAllowanceUs);
}

double SegmentTracker::SpacingNow() const
{
    const GateSpacing& run = Run();
    return run.Started() ? run.JudgingUs() : run.LowerBoundUs();
}

const GateSpacing& SegmentTracker::Run() const
{
    return inOther_ ? *other_ : gates_.find(last_->gateMs)->second;
}

GateSpacing& SegmentTracker::Run()
{
    return inOther_ ? *other_ : gates_.find(last_->gateMs)->second;
}
