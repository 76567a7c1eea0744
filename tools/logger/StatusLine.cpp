#include "tools/logger/StatusLine.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/TerminalFacts.h"

namespace {

std::string Figure(const char* format, double value)
{
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::string StatusText(const LiveStats& stats)
{
    return "f " + Figure("%.0f", stats.lastHz) + " Hz  n " + std::to_string(stats.count) +
           "  mean " + Figure("%.3f", stats.meanHz) + " Hz  sd " + Figure("%.3g", stats.stddevHz) +
           " Hz  drift " + Figure("%.3g", stats.driftHzPerS) + " Hz/s  ADEV(tau0) " +
           Figure("%.3g", stats.adevTau0.fractional);
}

std::string FitToColumns(const std::string& line, size_t columns)
{
    const size_t room = columns > 0 ? columns - 1 : 0;
    if (line.size() <= room)
        return line;
    const size_t lastField = line.rfind("  ", room);
    return line.substr(0, lastField != std::string::npos && lastField > 0 ? lastField : room);
}

size_t TerminalColumns(int fd)
{
    if (const std::optional<size_t> width = TerminalWidth(fd))
        return *width;
    const char* columns = std::getenv("COLUMNS");
    size_t value = 0;
    if (columns != nullptr && std::from_chars(columns, columns + std::strlen(columns), value).ec == std::errc() &&
        value > 0)
        return value;
    return 80;
}
