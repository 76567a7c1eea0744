#include "log/LogClock.h"

#include <algorithm>
#include <array>

namespace {

using std::chrono::days;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr int64_t kMsPerDay = 86'400'000;

constexpr int64_t DayNumber(int year, unsigned month, unsigned day)
{
    return sys_days{
        year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}}}
        .time_since_epoch()
        .count();
}

constexpr int64_t kFirstUtcMs = DayNumber(0, 1, 1) * kMsPerDay;
constexpr int64_t kLastUtcMs = DayNumber(9999, 12, 31) * kMsPerDay + kMsPerDay - 1;

// Day count rounded towards minus infinity, so times before 1970 get their own date.
int64_t DayOf(int64_t utcMs)
{
    return utcMs >= 0 ? utcMs / kMsPerDay : -((-utcMs - 1) / kMsPerDay) - 1;
}

void WriteDigits(char* out, int64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// Digits only, exactly width of them; false on anything else.
bool ReadDigits(std::string_view text, size_t at, int width, int& value)
{
    value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = text[at + static_cast<size_t>(i)];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

LogClock::LogClock() : start_(std::chrono::steady_clock::now())
{}

void LogClock::Restart()
{
    start_ = std::chrono::steady_clock::now();
    lastUs_ = -1;
}

LogTime LogClock::Now()
{
    return At(std::chrono::steady_clock::now());
}

LogTime LogClock::At(std::chrono::steady_clock::time_point readable)
{
    const auto wall = std::chrono::system_clock::now();
    const auto since = std::chrono::steady_clock::now() - readable;
    LogTime time;
    time.utcMs = std::chrono::duration_cast<milliseconds>(wall.time_since_epoch() - since).count();
    lastUs_ = NextStampUs(std::chrono::duration_cast<microseconds>(readable - start_).count(), lastUs_);
    time.elapsedUs = lastUs_;
    return time;
}

void WriteUtcMs(int64_t utcMs, char* out)
{
    const int64_t clamped = std::clamp(utcMs, kFirstUtcMs, kLastUtcMs);
    const int64_t dayNumber = DayOf(clamped);
    const int64_t msOfDay = clamped - dayNumber * kMsPerDay;
    const year_month_day date{sys_days{days{dayNumber}}};
    WriteDigits(out, static_cast<int>(date.year()), 4);
    out[4] = '-';
    WriteDigits(out + 5, static_cast<unsigned>(date.month()), 2);
    out[7] = '-';
    WriteDigits(out + 8, static_cast<unsigned>(date.day()), 2);
    out[10] = 'T';
    WriteDigits(out + 11, msOfDay / 3'600'000, 2);
    out[13] = ':';
    WriteDigits(out + 14, msOfDay / 60'000 % 60, 2);
    out[16] = ':';
    WriteDigits(out + 17, msOfDay / 1000 % 60, 2);
    out[19] = '.';
    WriteDigits(out + 20, msOfDay % 1000, 3);
    out[23] = 'Z';
}

std::string FormatUtcMs(int64_t utcMs)
{
    std::string text(kUtcTextLength, ' ');
    WriteUtcMs(utcMs, text.data());
    return text;
}

bool ParseUtcMs(std::string_view text, int64_t& utcMs)
{
    if (text.size() != kUtcTextLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[23] != 'Z')
        return false;
    std::array<int, 7> parts{};  // year, month, day, hour, minute, second, millisecond
    constexpr std::array<size_t, 7> kAt = {0, 5, 8, 11, 14, 17, 20};
    constexpr std::array<int, 7> kWidth = {4, 2, 2, 2, 2, 2, 3};
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!ReadDigits(text, kAt[i], kWidth[i], parts[i]))
            return false;
    }
    const year_month_day date{std::chrono::year{parts[0]},
                              std::chrono::month{static_cast<unsigned>(parts[1])},
                              std::chrono::day{static_cast<unsigned>(parts[2])}};
    if (!date.ok() || parts[3] > 23 || parts[4] > 59 || parts[5] > 59)
        return false;
    const int64_t dayNumber =
        DayNumber(parts[0], static_cast<unsigned>(parts[1]), static_cast<unsigned>(parts[2]));
    utcMs = dayNumber * kMsPerDay + parts[3] * int64_t{3'600'000} + parts[4] * int64_t{60'000} +
            parts[5] * int64_t{1000} + parts[6];
    return true;
}
