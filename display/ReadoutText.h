#pragma once

#include <cstdint>
#include <string_view>

// The three text lines of the read-out. Fixed 64-character buffers; the
// renderer draws positions 0-14 of Frequency and 0-23 of Status and Inductance
// by their character codes, whatever stands there.
struct ReadoutText {
    char Frequency[64] = {};
    char Status[64] = {};
    char Inductance[64] = {};
};

// The 0/1 counter that selects '-' or '|' at position 14 of the frequency
// line. Advanced by every accepted record; never reset.
struct ActivityIndicator {
    uint8_t Counter = 0;
};

inline constexpr char kInitialFrequencyLine[] = "000,000,000Hz  ";
inline constexpr char kInitialStatusLine[] = "P.S:[  0] G.T:[ 0.00sec]";
inline constexpr char kInitialInductanceLine[] = "L=               0.000uH";

// The idle texts into all three lines; the indicator keeps its value.
void ResetReadoutText(ReadoutText& text);

// Frequency line from an accepted record (record points at its 18 characters),
// then the indicator advances. A field whose digits are negative or exceed
// 999,999,999 shows as "---,---,---", keeping the line at 15 positions.
void FormatFrequencyLine(ReadoutText& text, ActivityIndicator& indicator, const char* record);

// The indicator as a record advances it, for a record whose lines the next
// record overwrites before anyone sees them.
void AdvanceIndicator(ActivityIndicator& indicator);

// Status line "P.S:[%3ld] G.T:[%2d.%c0sec]" from the same record. Both
// numbers print signed, so the line is always 24 characters.
void FormatStatusLine(ReadoutText& text, const char* record);

// "Not ReceiveHz " with the indicator's raw value (code 0 or 1) at position 14.
void WriteNoDataText(ReadoutText& text, const ActivityIndicator& indicator);

// The frequency field (positions 8-17) as the unsigned 32-bit value of its
// 32-bit atol: "3000000000" is 3000000000, "5000000000" wraps to 705032704.
uint32_t RecordFrequency(const char* record);

// atol over the first width characters of field only (the program's one
// decimal conversion, Atol): leading blanks, an optional sign, digits up to
// the first non-digit; 0 without digits; wraps modulo 2^32.
int32_t ReadDecimalField(const char* field, int width);

// Text into a line, the rest cleared: nothing stale stays behind the terminator.
void WriteLine(char (&line)[64], std::string_view text);
