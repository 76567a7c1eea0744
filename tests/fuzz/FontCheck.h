#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "tests/support/TempDir.h"

// Arbitrary bytes as a font file through the header probe, the image reader,
// LoadFont (with a sound default font to fall back to) and one compose of
// every character code. Files are written into a scratch folder of its own.
class FontCheck {
public:
    FontCheck();

    // Empty when every check held, else what broke first.
    std::string Run(std::span<const uint8_t> data) const;

private:
    std::string ProbeFault(std::span<const uint8_t> data) const;
    std::string LoadFault(std::span<const uint8_t> data) const;

    TempDir folder_;
    std::string defaultFont_;
    std::string input_;
};
