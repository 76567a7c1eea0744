#include "link/sinks/RecordRow.h"

#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"

std::optional<uint32_t> RecordGateMs(const char* record)
{
    const char tenths = record[6];
    if (tenths < '0' || tenths > '9')
        return std::nullopt;
    const int32_t seconds = ReadDecimalField(record + 4, 2);
    if (seconds < 0)
        return std::nullopt;
    return static_cast<uint32_t>(seconds) * 1000u + static_cast<uint32_t>(tenths - '0') * 100u;
}

LogRow RowFromRecord(const char* record, const LogTime& time,
                     const std::optional<LogCapacitors>& capacitors)
{
    LogRow row;
    row.utcMs = time.utcMs;
    row.elapsedUs = time.elapsedUs;
    row.frequencyHz = RecordFrequency(record);
    row.prescaler.assign(record, 3);
    row.gateMs = RecordGateMs(record);
    if (capacitors)
        row.inductanceUh = ComputeInductance(row.frequencyHz, capacitors->c1, capacitors->c2);
    return row;
}
