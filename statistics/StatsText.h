#pragma once

#include "statistics/StatsView.h"

#include <string>

// The offset of a frequency from the nominal.
struct NominalOffset {
    double hz;
    double ppm;
};

NominalOffset OffsetFromNominal(double hz, double nominalHz);

// value with a sign and decimals fixed decimals, '.' whatever the locale: "+1.000",
// "-0.250"; a value that rounds to zero is "+0.000"; "-" when not finite.
std::string SignedFixed(double value, int decimals);

// An offset in parts, three decimals: in ppm, or in ppb below 1 ppm in size:
// "+1.000 ppm", "-250.000 ppb"; "-" when not finite.
std::string PartsText(double ppm);

// value with a sign in scientific notation, three decimals: "+1.234e-05"; "-" when not finite.
std::string SignedScientific(double value);

// value with decimals fixed decimals: "10000010.25"; "-" when not finite.
std::string FixedText(double value, int decimals);

// Enough decimals for readings spread by stddevHz to show three significant digits of
// the spread, 0 to 6.
int DisplayDecimals(double stddevHz);

// A duration as a clock shows it: "0:00:42", "25:03:07"; "-" when not finite.
std::string DurationText(double seconds);

// The shortest text that reads back as the same double, without an exponent from
// 0.001 up to 1e15 ("10000010", "0.25"), with one outside ("1.2e-11"); empty for NaN.
std::string PlainNumber(double value);

// The figures as the clipboard takes them: one "key<TAB>value" line each, the keys
// those of pelmora-log --analyse --json where they mean the same, then one line per
// tau of each deviation: "adev<TAB>tau_s<TAB>value<TAB>lower<TAB>upper<TAB>noise"
// (mdev and hdev likewise, values fractional). A value that cannot be had is empty.
std::string CopiedText(const StatsView& view, double nominalHz);
