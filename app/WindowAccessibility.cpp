// What the read-out window tells assistive technology.
#include "app/CounterDisplayDlg.h"
#include "app/ReadingText.h"

void CCounterDisplayDlg::UpdateAccessibleReading()
{
    std::string reading = readout_.With([](ReadoutState& state) {
        return ReadingText(state.Text, state.LMeterVisible != 0);
    });
    // Qt sends DescriptionChanged on every set: an unchanged reading must not be announced again.
    if (reading == accessibleReading_)
        return;
    accessibleReading_ = std::move(reading);
    setAccessibleDescription(QString::fromStdString(accessibleReading_));
}
