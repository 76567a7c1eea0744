#pragma once

#include "display/Readout.h"

// Both run with the readout lock held by the caller.

// An accepted record into the read-out: frequency line with the indicator,
// status line, inductance line from c1 and c2 (µF), then the back buffer when
// compose is true. Returns whether it composed (the caller then invalidates).
bool ShowRecord(ReadoutState& state, double c1, double c2, const char* record, bool compose);

// The watchdog's no-data text into the frequency line, then the back buffer
// when compose is true. Returns whether it composed.
bool ShowNoData(ReadoutState& state, bool compose);
