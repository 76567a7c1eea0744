#include "lmeter/Inductance.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>

#include "display/ReadoutText.h"

namespace {

constexpr int kNumberField = 20;
// "9,999,999.000" is the widest number the limit lets through.
constexpr int kGroupedCapacity = 16;

// False for NaN (C1 = C2 = 0), for negative results (a negative C1 or C2 from
// a hand-edited settings file) and for -0.0, which would print as "-0.000".
bool IsShowable(double inductance)
{
    return inductance > 0.0 && inductance <= kInductanceLimit;
}

// Writes value as "%.3f" with a ',' between each group of three integer
// digits; returns the length. Independent of the C locale's decimal point.
int FormatGrouped(double value, char (&out)[kGroupedCapacity])
{
    char plain[32];
    const auto end =
        std::to_chars(plain, plain + sizeof plain, value, std::chars_format::fixed, 3).ptr;
    const std::string_view text(plain, static_cast<size_t>(end - plain));
    const size_t integerDigits = text.find('.');

    int length = 0;
    for (size_t i = 0; i < integerDigits; ++i) {
        out[length++] = text[i];
        const size_t digitsLeft = integerDigits - i - 1;
        if (digitsLeft > 0 && digitsLeft % 3 == 0)
            out[length++] = ',';
    }
    for (size_t i = integerDigits; i < text.size(); ++i)
        out[length++] = text[i];
    return length;
}

}  // namespace

double ComputeInductance(uint32_t frequency, double c1, double c2)
{
    const double k = 4.0 * std::pow(std::numbers::pi, 2);
    const double b = std::pow(frequency / 1000.0, 2) * k;
    const double seriesCapacitance = (c1 * c2) / (c1 + c2);
    const double p = seriesCapacitance * b;
    const double inductance = (1.0 / p) * 1000000.0;
    return IsShowable(inductance) ? inductance : 0.0;
}

void FormatInductanceLine(ReadoutText& text, double inductance)
{
    char grouped[kGroupedCapacity];
    const int length = FormatGrouped(IsShowable(inductance) ? inductance : 0.0, grouped);

    char line[2 + kNumberField + 2];
    std::memcpy(line, "L=", 2);
    const int padding = kNumberField - length;
    std::memset(line + 2, ' ', static_cast<size_t>(padding));
    std::memcpy(line + 2 + padding, grouped, static_cast<size_t>(length));
    std::memcpy(line + 2 + kNumberField, "uH", 2);
    WriteLine(text.Inductance, std::string_view(line, sizeof line));
}
