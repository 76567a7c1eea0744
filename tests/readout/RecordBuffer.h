#pragma once

#include <array>
#include <cstring>
#include <string>
#include <string_view>

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
