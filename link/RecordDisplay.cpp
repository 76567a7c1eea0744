#include "link/RecordDisplay.h"

#include <cstdint>

#include "display/ReadoutText.h"
#include "display/Composer.h"
#include "lmeter/Inductance.h"

bool ShowRecord(ReadoutState& state, double c1, double c2, const char* record, bool compose)
{
    FormatFrequencyLine(state.Text, state.Indicator, record);
    FormatStatusLine(state.Text, record);
    // A negative field ("-000000001") reaches the calculation as its 32-bit pattern.
    const auto frequency = static_cast<uint32_t>(RecordFrequency(record));
    FormatInductanceLine(state.Text, ComputeInductance(frequency, c1, c2));
    if (compose)
        ComposeReadout(state);
    return compose;
}

bool ShowNoData(ReadoutState& state, bool compose)
{
    WriteNoDataText(state.Text, state.Indicator);
    if (compose)
        ComposeReadout(state);
    return compose;
}
