#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// atoi/atol/atof semantics (leading white space, optional sign, digits up to
// the first other character, 0 without digits), independent of the locale:
// the decimal separator is always the point.
int32_t Atoi(std::string_view text);
int32_t Atol(std::string_view text);
double Atof(std::string_view text);

// "%d" and "%.6f" as in the C locale.
std::string FormatInt(int32_t value);
std::string FormatFixed6(double value);
