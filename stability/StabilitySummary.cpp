#include "stability/StabilitySummary.h"

#include "stability/SegmentTracker.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

constexpr size_t kLabelWidth = 16;
constexpr int kMaxHzDecimals = 9;

std::string Fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return "-";
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(text, result.ptr) : "-";
}

std::string Scientific(double value, int decimals, bool withSign = false)
{
    if (!std::isfinite(value))
        return "-";
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, decimals);
    const std::string sign = withSign && value >= 0.0 ? "+" : "";
    return sign + std::string(text, result.ptr);
}

// Enough decimals to show the spread with three significant digits.
int HzDecimals(const StabilitySummary& summary)
{
    const bool usable = summary.stddevHz > 0.0 && std::isfinite(summary.stddevHz);
    const double spread = usable ? summary.stddevHz : 1.0;
    const int decimals = 2 - static_cast<int>(std::floor(std::log10(spread)));
    return std::clamp(decimals, 0, kMaxHzDecimals);
}

std::string Hz(double value, int decimals)
{
    return Fixed(value, decimals) + " Hz";
}

// Three decimals, more below a second so that four significant digits show.
std::string Seconds(double seconds)
{
    const int decimals =
        seconds > 0.0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(seconds))), 3, 6) : 3;
    return Fixed(seconds, decimals);
}

std::string GateText(const std::optional<uint32_t>& gateMs)
{
    if (!gateMs)
        return "unknown";
    std::string text = Fixed(*gateMs / 1000.0, 3);  // as gate_s: "1.0", "0.25"
    while (text.back() == '0' && text[text.size() - 2] != '.')
        text.pop_back();
    return text + " s";
}

std::string Duration(double seconds)
{
    std::string text = Fixed(seconds, 3) + " s";
    if (seconds >= 7200.0)
        text += " (" + Fixed(seconds / 3600.0, 2) + " h)";
    else if (seconds >= 120.0)
        text += " (" + Fixed(seconds / 60.0, 2) + " min)";
    return text;
}

void Line(std::string& out, std::string_view label, const std::string& value)
{
    out += label;
    out.append(kLabelWidth - std::min(kLabelWidth - 2, label.size()), ' ');
    out += value;
    out += '\n';
}

std::string RightAligned(const std::string& text, size_t width)
{
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string Plural(uint64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

void AppendBreaks(std::string& out, const StabilitySummary& s)
{
    std::string readings =
        std::to_string(s.count) + " in " + Plural(s.segments, "segment", "segments") + " (" +
        Plural(s.restarts, "restart", "restarts") + ", " + Plural(s.gaps, "gap", "gaps") + ", " +
        Plural(s.gateChanges, "gate change", "gate changes") + ")";
    if (s.skippedLines > 0)
        readings += ", " + Plural(s.skippedLines, "line", "lines") + " skipped";
    Line(out, "Readings", readings);
    if (s.otherGateReadings > 0)
        Line(out, "Other gates",
             Plural(s.otherGateReadings, "reading", "readings") + " of gate times after the first " +
                 std::to_string(SegmentTracker::kFullGates) + ", in no deviation");
}

std::string NoiseText(const std::optional<analysis::NoiseType>& noise)
{
    return noise ? std::string(analysis::NoiseName(*noise)) : "-";
}

struct Curve {
    std::string_view name;
    const std::vector<DeviationPoint>& points;
    bool seconds;  // the time deviation: seconds, no Hz
};

// One row per tau: the deviation, its interval, in Hz, the terms and the noise type.
void AppendDeviationTable(std::string& out, const Curve& curve)
{
    if (curve.points.empty())
        return;
    out += "   tau (s) " + RightAligned(std::string(curve.name), 10) +
           "      lower      upper         Hz      terms  noise\n";
    for (const DeviationPoint& point : curve.points) {
        out += RightAligned(Seconds(point.tauS), 10);
        out += RightAligned(Scientific(curve.seconds ? point.seconds : point.fractional, 3), 11);
        out += RightAligned(Scientific(point.lower, 3), 11);
        out += RightAligned(Scientific(point.upper, 3), 11);
        out += RightAligned(curve.seconds ? "" : Scientific(point.hz, 3), 11);
        out += RightAligned(std::to_string(point.terms), 11);
        out += "  " + NoiseText(point.noise);
        out += point.stride > 1 ? " *\n" : "\n";
    }
}

template <typename Deviations>
void AppendCurves(std::string& out, const Deviations& d)
{
    for (const Curve& curve : {Curve{"ADEV", d.adev, false}, Curve{"MDEV", d.mdev, false},
                               Curve{"HDEV", d.hdev, false}, Curve{"TDEV (s)", d.tdev, true}}) {
        if (curve.points.empty())
            continue;
        out += '\n';
        AppendDeviationTable(out, curve);
    }
}

bool Decimated(const std::vector<DeviationPoint>& points)
{
    return std::any_of(points.begin(), points.end(), [](const DeviationPoint& p) { return p.stride > 1; });
}

// One set of tables; with several gate times one per gate, each under a line naming it.
void AppendDeviations(std::string& out, const StabilitySummary& s)
{
    if (s.byGate.size() <= 1) {
        AppendCurves(out, s);
    } else {
        for (const GateDeviations& gate : s.byGate) {
            out += "\nGate " + GateText(gate.gateMs) + ": " +
                   Plural(gate.count, "reading", "readings") + ", tau0 " + Seconds(gate.tau0S) + " s\n";
            AppendCurves(out, gate);
        }
    }
    const bool decimated = std::any_of(s.byGate.begin(), s.byGate.end(), [](const GateDeviations& g) {
        return Decimated(g.adev) || Decimated(g.mdev);
    });
    if (decimated)
        out += "\n* above 65536 tau0: terms taken at a stride of 1024 readings or more\n";
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// "key":value; a comma before every key but the first of its object.
void JsonMember(std::string& out, std::string_view key, const std::string& value)
{
    if (out.back() != '{')
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    out += value;
}

std::string JsonCurve(const std::vector<DeviationPoint>& points, bool seconds = false)
{
    std::string out = "[";
    for (const DeviationPoint& point : points) {
        out += out.size() > 1 ? ",{" : "{";
        JsonMember(out, "tau_s", JsonNumber(point.tauS));
        JsonMember(out, "terms", std::to_string(point.terms));
        if (seconds) {
            JsonMember(out, "seconds", JsonNumber(point.seconds));
        } else {
            JsonMember(out, "fractional", JsonNumber(point.fractional));
            JsonMember(out, "hz", JsonNumber(point.hz));
        }
        JsonMember(out, "lower", JsonNumber(point.lower));
        JsonMember(out, "upper", JsonNumber(point.upper));
        JsonMember(out, "edf", JsonNumber(point.edf));
        JsonMember(out, "noise", point.noise ? "\"" + NoiseText(point.noise) + "\"" : "null");
        JsonMember(out, "stride", std::to_string(point.stride));
        out += '}';
    }
    return out + "]";
}

template <typename Deviations>
void JsonCurves(std::string& out, const Deviations& d)
{
    JsonMember(out, "adev", JsonCurve(d.adev));
    JsonMember(out, "mdev", JsonCurve(d.mdev));
    JsonMember(out, "hdev", JsonCurve(d.hdev));
    JsonMember(out, "tdev", JsonCurve(d.tdev, true));
}

std::string JsonGates(const std::vector<GateDeviations>& gates)
{
    std::string out = "[";
    for (const GateDeviations& gate : gates) {
        out += out.size() > 1 ? ",{" : "{";
        JsonMember(out, "gate_s", gate.gateMs ? JsonNumber(*gate.gateMs / 1000.0) : "null");
        JsonMember(out, "tau0_s", JsonNumber(gate.tau0S));
        JsonMember(out, "count", std::to_string(gate.count));
        JsonCurves(out, gate);
        out += '}';
    }
    return out + "]";
}

}  // namespace

std::string SummaryText(const StabilitySummary& s)
{
    const int decimals = HzDecimals(s);
    std::string out;
    AppendBreaks(out, s);
    Line(out, "Span", Duration(s.spanS) + ", tau0 " + Seconds(s.tau0S) + " s");
    Line(out, "Mean", Hz(s.meanHz, decimals));
    Line(out, "Std deviation",
         Hz(s.stddevHz, decimals) + " (" + Scientific(s.stddevHz / s.meanHz, 2) + ")");
    Line(out, "Min / max", Fixed(s.minHz, decimals) + " / " + Hz(s.maxHz, decimals));
    Line(out, "Last", Hz(s.lastHz, decimals));
    Line(out, "Drift",
         Scientific(s.driftHzPerS, 3, true) + " Hz/s (" + Scientific(s.driftPpmPerHour, 3, true) +
             " ppm/h)");
    if (std::isfinite(s.driftRemovedHzPerS))
        Line(out, "Drift removed", Scientific(s.driftRemovedHzPerS, 3, true) + " Hz/s, before the deviations");
    if (std::isfinite(s.confidence))
        Line(out, "Intervals", Fixed(s.confidence * 100.0, 1) + " % (chi-squared, EDF by noise type)");
    AppendDeviations(out, s);
    return out;
}

std::string SummaryJson(const StabilitySummary& s)
{
    std::string out = "{";
    JsonMember(out, "count", std::to_string(s.count));
    JsonMember(out, "skipped_lines", std::to_string(s.skippedLines));
    JsonMember(out, "span_s", JsonNumber(s.spanS));
    JsonMember(out, "tau0_s", JsonNumber(s.tau0S));
    JsonMember(out, "segments", std::to_string(s.segments));
    JsonMember(out, "restarts", std::to_string(s.restarts));
    JsonMember(out, "gaps", std::to_string(s.gaps));
    JsonMember(out, "gate_changes", std::to_string(s.gateChanges));
    if (s.otherGateReadings > 0)
        JsonMember(out, "other_gate_readings", std::to_string(s.otherGateReadings));
    JsonMember(out, "mean_hz", JsonNumber(s.meanHz));
    JsonMember(out, "stddev_hz", JsonNumber(s.stddevHz));
    JsonMember(out, "min_hz", JsonNumber(s.minHz));
    JsonMember(out, "max_hz", JsonNumber(s.maxHz));
    JsonMember(out, "last_hz", JsonNumber(s.lastHz));
    JsonMember(out, "drift_hz_per_s", JsonNumber(s.driftHzPerS));
    JsonMember(out, "drift_ppm_per_hour", JsonNumber(s.driftPpmPerHour));
    JsonMember(out, "drift_removed_hz_per_s", JsonNumber(s.driftRemovedHzPerS));
    JsonMember(out, "confidence", JsonNumber(s.confidence));
    JsonCurves(out, s);
    JsonMember(out, "by_gate", JsonGates(s.byGate));
    return out + "}\n";
}
