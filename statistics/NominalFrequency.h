#pragma once

#include <string>
#include <string_view>

// The frequency a source is meant to have, as the user types it: a number with '.' as
// the decimal point, an optional prefix k, M or G and an optional Hz, blanks allowed
// between them ("10M", "10.000 MHz", "32768", "32.768 kHz"); 1 Hz to 10 GHz.
inline constexpr double kMinNominalHz = 1.0;
inline constexpr double kMaxNominalHz = 10e9;

enum class NominalError {
    None,
    Empty,
    NotANumber,   // no digits where the number belongs, or a sign or exponent
    UnknownUnit,  // something else than k, M, G and Hz after the number
    OutOfRange,   // below 1 Hz or above 10 GHz
};

struct NominalParse {
    double hz = 0.0;  // meaningful only without error
    NominalError error = NominalError::None;
};

// The value in Hz, rounded once from the decimal text ("32.768 kHz" is exactly 32768).
NominalParse ParseNominal(std::string_view text);

// A nominal as the entry field shows it: the shortest text that reads back the same.
std::string NominalText(double hz);
