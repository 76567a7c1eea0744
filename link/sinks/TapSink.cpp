#include "link/sinks/TapSink.h"

#include "display/Readout.h"
#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"
#include "link/sinks/RecordRow.h"

TapSink::TapSink(Readout& readout) : readout_(readout) {}

void TapSink::OnRecords(std::span<const Reading> readings)
{
    if (!tap_.IsOpen())
        return;
    LogCapacitors capacitors;
    bool inductanceShown = false;
    readout_.With([&](ReadoutState& state) {
        capacitors = {state.C1, state.C2};
        inductanceShown = state.LMeterVisible == 1;
    });
    tapped_.clear();
    for (const Reading& reading : readings) {
        TappedReading& tapped = tapped_.emplace_back();
        const uint32_t frequency = RecordFrequency(reading.Record);
        tapped.sample = {static_cast<double>(reading.Stamp.elapsedUs) / 1e6, static_cast<double>(frequency),
                         RecordGateMs(reading.Record)};
        if (inductanceShown)
            tapped.inductanceUh = ComputeInductance(frequency, capacitors.c1, capacitors.c2);
        tapped.capacitors = capacitors;
    }
    tap_.Push(tapped_);
}
