#include "statistics/StatsText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

std::string Line(std::string_view key, const std::string& value)
{
    return std::string(key) + '\t' + value + '\n';
}

std::string Count(uint64_t value)
{
    return std::to_string(value);
}

std::string NoiseText(const std::optional<analysis::NoiseType>& noise)
{
    return noise ? std::string(analysis::NoiseName(*noise)) : std::string();
}

std::string CurveLines(std::string_view name, const std::vector<DeviationPoint>& points)
{
    std::string out;
    for (const DeviationPoint& point : points)
        out += std::string(name) + '\t' + PlainNumber(point.tauS) + '\t' + PlainNumber(point.fractional) +
               '\t' + PlainNumber(point.lower) + '\t' + PlainNumber(point.upper) + '\t' +
               NoiseText(point.noise) + '\n';
    return out;
}

std::string LevelLines(const StabilitySummary& s)
{
    return Line("count", Count(s.count)) + Line("last_hz", PlainNumber(s.lastHz)) +
           Line("mean_hz", PlainNumber(s.meanHz)) + Line("stddev_hz", PlainNumber(s.stddevHz)) +
           Line("min_hz", PlainNumber(s.minHz)) + Line("max_hz", PlainNumber(s.maxHz)) +
           Line("peak_to_peak_hz", PlainNumber(s.maxHz - s.minHz)) +
           Line("drift_hz_per_s", PlainNumber(s.driftHzPerS)) +
           Line("drift_ppm_per_hour", PlainNumber(s.driftPpmPerHour)) +
           Line("span_s", PlainNumber(s.spanS)) + Line("tau0_s", PlainNumber(s.tau0S)) +
           Line("segments", Count(s.segments)) + Line("gaps", Count(s.gaps)) +
           Line("restarts", Count(s.restarts)) + Line("gate_changes", Count(s.gateChanges)) +
           Line("confidence", PlainNumber(s.confidence));
}

std::string InductanceLines(const InductanceFigures& l)
{
    return Line("inductance_count", Count(l.count)) + Line("inductance_mean_uh", PlainNumber(l.meanUh)) +
           Line("inductance_stddev_uh", PlainNumber(l.stddevUh)) +
           Line("inductance_min_uh", PlainNumber(l.minUh)) +
           Line("inductance_max_uh", PlainNumber(l.maxUh));
}

}  // namespace

NominalOffset OffsetFromNominal(double hz, double nominalHz)
{
    const double offset = hz - nominalHz;
    return {offset, offset / nominalHz * 1e6};
}

std::string SignedFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return "-";
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::fixed, decimals);
    const std::string digits(text, result.ptr);
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    return (value < 0.0 && !zero ? "-" : "+") + digits;
}

std::string SignedScientific(double value)
{
    if (!std::isfinite(value))
        return "-";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 3);
    return (value >= 0.0 ? "+" : "") + std::string(text, result.ptr);
}

std::string FixedText(double value, int decimals)
{
    if (!std::isfinite(value))
        return "-";
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

int DisplayDecimals(double stddevHz)
{
    if (!(stddevHz > 0.0) || !std::isfinite(stddevHz))
        return 0;
    return std::clamp(2 - static_cast<int>(std::floor(std::log10(stddevHz))), 0, 6);
}

std::string DurationText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0.0)
        return "-";
    const auto whole = static_cast<long long>(seconds);
    const std::string minutes = std::to_string(whole / 60 % 60);
    const std::string secs = std::to_string(whole % 60);
    return std::to_string(whole / 3600) + (minutes.size() < 2 ? ":0" : ":") + minutes +
           (secs.size() < 2 ? ":0" : ":") + secs;
}

std::string PartsText(double ppm)
{
    if (!std::isfinite(ppm))
        return "-";
    if (std::fabs(ppm) < 1.0)
        return SignedFixed(ppm * 1e3, 3) + " ppb";
    return SignedFixed(ppm, 3) + " ppm";
}

std::string PlainNumber(double value)
{
    if (!std::isfinite(value))
        return {};
    const double size = std::fabs(value);
    const bool fixed = value == 0.0 || (size >= 1e-3 && size < 1e15);
    char text[64];
    const auto result = fixed ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                              : std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string CopiedText(const StatsView& view, double nominalHz)
{
    const NominalOffset offset = OffsetFromNominal(view.summary.meanHz, nominalHz);
    return LevelLines(view.summary) + Line("nominal_hz", PlainNumber(nominalHz)) +
           Line("offset_hz", PlainNumber(offset.hz)) + Line("offset_ppm", PlainNumber(offset.ppm)) +
           Line("average_hz", PlainNumber(view.average.hz)) + Line("average_n", Count(view.averageN)) +
           InductanceLines(view.inductance) + Line("dropped", Count(view.dropped)) +
           CurveLines("adev", view.summary.adev) + CurveLines("mdev", view.summary.mdev) +
           CurveLines("hdev", view.summary.hdev);
}
