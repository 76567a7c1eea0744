#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// One reading as it stands in a log file: one CSV record (RFC 4180, CRLF line ends)
// under the header kLogHeader.
//
//   utc            ISO 8601 UTC with milliseconds and Z: 2026-12-07T12:00:00.123Z
//   t_s            seconds since the log started, monotonic clock, always 6 decimals:
//                  12.345678 (files written with 3 decimals read as well)
//   frequency_hz   unsigned 32-bit integer: 10000000
//   prescaler      the counter's prescaler text, up to 3 characters, quoted when it
//                  holds a comma, a double quote, CR or LF: 001, "1,2"
//   gate_s         gate time in seconds, at least one and at most three decimals:
//                  1.0, 10.0, 0.1, 0.01; empty when not known
//   inductance_uh  inductance in µH, the shortest text that reads back as the same
//                  double (123.456, 1e-05); empty when not given
struct LogRow {
    int64_t utcMs = 0;                   // utc, milliseconds since 1970-01-01T00:00:00Z
    int64_t elapsedUs = 0;               // t_s, in microseconds
    uint32_t frequencyHz = 0;            // frequency_hz
    std::string prescaler;               // prescaler, at most kMaxPrescalerLength bytes
    std::optional<uint32_t> gateMs;      // gate_s, in milliseconds
    std::optional<double> inductanceUh;  // inductance_uh; written only when finite

    bool operator==(const LogRow&) const = default;
};

inline constexpr std::string_view kLogHeader =
    "utc,t_s,frequency_hz,prescaler,gate_s,inductance_uh";
inline constexpr size_t kLogColumnCount = 6;
inline constexpr size_t kMaxPrescalerLength = 3;

// The header line with its CRLF, written once at the top of an empty log file.
std::string LogHeaderLine();

// One row as one line of text, CRLF included. A longer prescaler is cut to
// kMaxPrescalerLength bytes; a non-finite inductance is written as empty.
std::string FormatLogRow(const LogRow& row);
// The same, appended to out (no allocation once out has room).
void AppendLogRow(std::string& out, const LogRow& row);

// The kLogColumnCount fields of one record, already unquoted, as a row. Empty when a
// field does not hold a value of its column (the record is then malformed).
std::optional<LogRow> ParseLogFields(std::span<const std::string> fields);

// gate_s and inductance_uh as a row writes them ("1.0", "0.25"; "123.456", nothing
// for a non-finite value).
void AppendGateSeconds(std::string& out, uint32_t gateMs);
void AppendInductanceUh(std::string& out, double inductanceUh);

// Seconds as t_s writes them ("12.345678", "-0.000005") and reads them back, with up
// to six decimals ("12.345" is 12345000 us).
void AppendMicroseconds(std::string& out, int64_t us);
bool ParseMicroseconds(std::string_view text, int64_t& us);
