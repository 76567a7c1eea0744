#include "tools/fontgen/SevenSegment.h"

#include <array>
#include <string_view>

namespace {

// Segments a to g on the design grid, short of the corners so that they stay apart.
constexpr std::array<std::string_view, 7> kSegments{
    "1.3,0 6.7,0",    // a: top
    "8,1.3 8,4.7",    // b: upper right
    "8,7.3 8,10.7",   // c: lower right
    "1.3,12 6.7,12",  // d: bottom
    "0,7.3 0,10.7",   // e: lower left
    "0,1.3 0,4.7",    // f: upper left
    "1.3,6 6.7,6",    // g: middle
};

// Lit segments per digit, bit 0 for a up to bit 6 for g.
constexpr std::array<unsigned, 10> kDigitSegments{0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr unsigned kMinusSegments = 0x40;

unsigned LitSegments(int code)
{
    if (code >= '0' && code <= '9')
        return kDigitSegments[static_cast<std::size_t>(code - '0')];
    return code == '-' ? kMinusSegments : 0;
}

} // namespace

std::string SevenSegmentGlyph(int code)
{
    std::string description;
    const unsigned lit = LitSegments(code);
    for (std::size_t segment = 0; segment < kSegments.size(); ++segment) {
        if ((lit & (1u << segment)) == 0)
            continue;
        if (!description.empty())
            description += '|';
        description += kSegments[segment];
    }
    return description;
}
