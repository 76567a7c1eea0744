#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/LogRow.h"

// The lines of the shared stream, one JSON object each, ended by "\n". A reading
// carries the log's columns with the log's texts (null where the log leaves a
// field empty):
//   {"utc": "2026-12-07T12:00:00.123Z", "t_s": 12.345678, "frequency_hz": 10000000,
//    "prescaler": "001", "gate_s": 1.0, "inductance_uh": null}
// and news of the session, with "count" only for "dropped":
//   {"event": "dropped", "utc": "2026-12-07T12:00:01.000Z", "count": 42}
void AppendReadingLine(std::string& out, const LogRow& row);
void AppendEventLine(std::string& out, std::string_view event, int64_t utcMs,
                     std::optional<uint64_t> count = std::nullopt);

// The event names of the stream.
inline constexpr std::string_view kEventNoData = "no_data";
inline constexpr std::string_view kEventPortLost = "port_lost";
inline constexpr std::string_view kEventPortBack = "port_back";
inline constexpr std::string_view kEventEnd = "end";
inline constexpr std::string_view kEventDropped = "dropped";
