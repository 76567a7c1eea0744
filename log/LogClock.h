#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// When a reading was taken: wall-clock UTC for people, monotonic time for the analysis.
struct LogTime {
    int64_t utcMs = 0;      // milliseconds since 1970-01-01T00:00:00Z
    int64_t elapsedUs = 0;  // microseconds since the log started, on the monotonic clock
};

// The clock of one log. Elapsed time counts on the monotonic clock from construction
// (or Restart), so a step of the wall clock (time sync, a user setting the date) never
// bends the t_s column; the utc column shows the wall clock as it was.
//
// Elapsed times strictly increase: a reading stamped no later than the one before it
// gets that stamp + 1 us. The records of one read() keep their order, and a step
// backwards in t_s always means a new run. One thread stamps (not thread-safe).
class LogClock {
public:
    LogClock();

    // Elapsed time starts again at 0 (a new run appended to the same file).
    void Restart();
    LogTime Now();
    // A reading whose last byte came at readable (on the steady clock), taken now.
    LogTime At(std::chrono::steady_clock::time_point readable);

private:
    std::chrono::steady_clock::time_point start_;
    int64_t lastUs_ = -1;  // the last elapsed time given out
};

// The elapsed time a reading taken at clockUs gets after one stamped lastUs.
constexpr int64_t NextStampUs(int64_t clockUs, int64_t lastUs)
{
    return clockUs > lastUs ? clockUs : lastUs + 1;
}

// Length of the text FormatUtcMs writes, e.g. "2026-12-07T12:00:00.123Z".
inline constexpr size_t kUtcTextLength = 24;

// ISO 8601 UTC with milliseconds and Z. Times outside the years 0000-9999 are clamped
// to the nearest representable one, so the text is always kUtcTextLength characters.
std::string FormatUtcMs(int64_t utcMs);
// The same into out, which must hold kUtcTextLength characters (no terminator written).
void WriteUtcMs(int64_t utcMs, char* out);

// Reads exactly the form FormatUtcMs writes. False for anything else, including
// impossible dates (2026-02-30) and times (24:00:00).
bool ParseUtcMs(std::string_view text, int64_t& utcMs);
