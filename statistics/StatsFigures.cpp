#include "statistics/StatsFigures.h"

void StatsFigures::Add(const TappedReading& reading)
{
    average_.Add(reading.sample.frequencyHz);
    if (reading.inductanceUh)
        inductance_.Add(*reading.inductanceUh, reading.capacitors);
    undecided_.push_back(reading.sample);
    // The trend takes a reading once the engine has decided its segment, and breaks where it cuts.
    for (const SegmentBreak reason : engine_.Add(reading.sample)) {
        const FrequencySample& decided = undecided_.front();
        const bool broken = reason == SegmentBreak::Gap || reason == SegmentBreak::Restart;
        trend_.Add(decided.tS, decided.frequencyHz, broken);
        undecided_.pop_front();
    }
}

void StatsFigures::Reset()
{
    engine_ = StabilityEngine();
    undecided_.clear();
    average_.Clear();
    inductance_.Clear();
    trend_.Clear();
    dropped_ = 0;
}

StatsView StatsFigures::View(uint32_t averageN, int trendMinutes) const
{
    StatsView view;
    view.summary = engine_.Summary();
    view.average = average_.Of(averageN);
    view.averageN = averageN;
    view.inductance = inductance_.Figures();
    view.trend = trend_.Points(trendMinutes);
    view.trendMinutes = trendMinutes;
    view.dropped = dropped_;
    return view;
}

void StatsFigures::Refresh(StatsView& view) const
{
    const LiveStats live = engine_.Live();
    StabilitySummary& s = view.summary;
    s.count = live.count;
    s.lastHz = live.lastHz;
    s.meanHz = live.meanHz;
    s.stddevHz = live.stddevHz;
    s.driftHzPerS = live.driftHzPerS;
    s.driftPpmPerHour = live.driftPpmPerHour;
    view.average = average_.Of(view.averageN);
    view.inductance = inductance_.Figures();
    view.dropped = dropped_;
}
