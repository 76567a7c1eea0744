#pragma once

#include "log/LogClock.h"
#include "log/LogRow.h"

#include <cstdint>
#include <optional>

// The L meter's capacitors in µF, for the inductance column.
struct LogCapacitors {
    double c1 = 0.0;
    double c2 = 0.0;
};

// One accepted counter record ("PPP GGT FFFFFFFFFF", its 18 characters) as a log row:
// the frequency field as the read-out reads it, the prescaler characters 0-2 as they
// stand, the gate time from the seconds at 4-5 and the tenths at 6 (unknown when the
// tenths are no digit or the seconds negative), the inductance only with capacitors.
LogRow RowFromRecord(const char* record, const LogTime& time,
                     const std::optional<LogCapacitors>& capacitors);

// The gate time of a record in milliseconds, as RowFromRecord takes it.
std::optional<uint32_t> RecordGateMs(const char* record);
