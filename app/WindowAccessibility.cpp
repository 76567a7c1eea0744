// What the read-out window tells assistive technology.
#include "app/CounterDisplayDlg.h"
#include "app/ReadingText.h"

void CCounterDisplayDlg::UpdateAccessibleReading()
{
    const std::string reading = readout_.With([](ReadoutState& state) {
        return ReadingText(state.Text, state.LMeterVisible != 0);
    });
    const QString description = QString::fromStdString(reading);
    // Qt sends DescriptionChanged on every set: an unchanged reading must not be announced again.
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}
