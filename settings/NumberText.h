#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// atoi/atol/atof semantics (leading white space, optional sign, digits up to
// the first other character, 0 without digits), independent of the locale:
// the decimal separator is always the point.
//
// Atoi and Atol wrap modulo 2^32 on overflow, as the 32-bit C library of the
// original program did: a ten-digit counter field up to 4294967295 thus reads
// as its unsigned value when cast to uint32_t.
//
// Atof always gives a finite value: "inf", "nan" and other text that is not a
// decimal number give 0.0, an overflowing exponent gives +/-DBL_MAX and an
// underflowing one +/-0.0. Hexadecimal text is not a number (only its "0" counts).
int32_t Atoi(std::string_view text);
int32_t Atol(std::string_view text);
double Atof(std::string_view text);

// "%d" and "%.6f" as in the C locale ("inf", "-inf", "nan", "-nan" for the
// values that are not finite).
std::string FormatInt(int32_t value);
std::string FormatFixed6(double value);

// "%.6f" when that text has at most maxLength characters, otherwise the
// shortest text that Atof reads back as the same value ("1e+31"), so a value
// too large for the reader's buffer is never cut into a different number.
std::string FormatFixed6Fitting(double value, std::size_t maxLength);
