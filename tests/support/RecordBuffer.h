#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "display/ReadoutText.h"
#include "lmeter/Inductance.h"

// A counter record standing in a line buffer as the assembler leaves it:
// prescaler, blank, gate, tenths, blank, frequency, then whatever follows.
inline std::array<char, 256> MakeRecord(std::string_view prescaler, std::string_view gate,
                                        char tenths, std::string_view frequency,
                                        char after = '\0')
{
    std::array<char, 256> buffer{};
    std::string record = std::string(prescaler) + ' ' + std::string(gate) + tenths + ' ';
    record += frequency;
    record += after;
    std::memcpy(buffer.data(), record.data(), record.size());
    return buffer;
}

// The whole 64-character buffer a line must hold: the text, then zeros.
inline std::string Padded(std::string_view text)
{
    std::string line(text);
    line.resize(64, '\0');
    return line;
}

inline std::string WholeLine(const char (&line)[64])
{
    return std::string(line, sizeof line);
}

// The three formatting steps an accepted record runs, from fresh lines and a
// fresh indicator, with C1 = C2 = 0.1.
inline ReadoutText FormatAcceptedRecord(const std::array<char, 256>& record)
{
    ReadoutText text;
    ActivityIndicator indicator;
    FormatFrequencyLine(text, indicator, record.data());
    FormatStatusLine(text, record.data());
    const auto frequency = static_cast<uint32_t>(RecordFrequency(record.data()));
    FormatInductanceLine(text, ComputeInductance(frequency, 0.1, 0.1));
    return text;
}
