#include "share/ShareLine.h"

#include <cstdio>

#include "log/LogClock.h"

namespace {

void AppendUtc(std::string& out, int64_t utcMs)
{
    char utc[kUtcTextLength];
    WriteUtcMs(utcMs, utc);
    out += '"';
    out.append(utc, sizeof utc);
    out += '"';
}

// Bytes outside printable ASCII are escaped one by one, so the line stays valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

void AppendReadingLine(std::string& out, const LogRow& row)
{
    out += "{\"utc\": ";
    AppendUtc(out, row.utcMs);
    out += ", \"t_s\": ";
    AppendMicroseconds(out, row.elapsedUs);
    out += ", \"frequency_hz\": ";
    out += std::to_string(row.frequencyHz);
    out += ", \"prescaler\": ";
    AppendJsonString(out, std::string_view(row.prescaler).substr(0, kMaxPrescalerLength));
    out += ", \"gate_s\": ";
    if (row.gateMs)
        AppendGateSeconds(out, *row.gateMs);
    else
        out += "null";
    out += ", \"inductance_uh\": ";
    const size_t before = out.size();
    if (row.inductanceUh)
        AppendInductanceUh(out, *row.inductanceUh);
    if (out.size() == before)
        out += "null";
    out += "}\n";
}

void AppendEventLine(std::string& out, std::string_view event, int64_t utcMs,
                     std::optional<uint64_t> count)
{
    out += "{\"event\": \"";
    out += event;
    out += "\", \"utc\": ";
    AppendUtc(out, utcMs);
    if (count) {
        out += ", \"count\": ";
        out += std::to_string(*count);
    }
    out += "}\n";
}
