#include "tools/logger/StatusLine.h"

#include <cmath>
#include <cstdio>

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
