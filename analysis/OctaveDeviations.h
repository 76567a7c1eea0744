#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace analysis {

// The overlapping Allan, modified Allan and overlapping Hadamard deviations of a
// stream of integer readings (a counter's frequencies in Hz) at every octave
// m = 2^k, kept up to date reading by reading in bounded memory.
//
// Readings arrive in gap-free segments; Cut() ends one, and no difference spans
// a cut: the squares and term counts of all segments are pooled. The running
// sums are integers (modulo 2^64 and 2^128, whose differences are exact), so the
// sums of squares are those of the exact differences.
//
// Octaves up to kExactOctaves - 1 (m <= 65536) are exact: every overlapping term.
// Above, each stage keeps the sums of blocks of 1024 values of the stage below, and
// of the phase within each block, and computes the same estimators on them: the
// Allan, modified Allan and Hadamard terms are the exact terms that start at every
// 1024^s-th reading (a stride). Terms counts the terms actually taken.
class OctaveDeviations {
public:
    static constexpr int kExactOctaves = 17;
    static constexpr int kDecimationShift = 10;
    static constexpr int kMaxOctaves = 48;

    // One deviation at one octave: the squared normalised differences summed.
    // Allan and modified Allan variance = squares / (2 terms), Hadamard / (6 terms).
    struct Sums {
        long double squares = 0.0L;
        uint64_t terms = 0;
    };
    struct Octave {
        Sums adev;
        Sums mdev;
        Sums hdev;
        uint64_t stride = 1;  // 1: every overlapping term; else the readings between terms taken
    };

    // wide: the readings may reach 2^52 in size (scaled), so even the exact octaves sum
    // in 128 bits; otherwise they stay below 2^32 and 64 bits hold every difference.
    explicit OctaveDeviations(bool wide = false);
    ~OctaveDeviations();
    OctaveDeviations(OctaveDeviations&&) noexcept;
    OctaveDeviations& operator=(OctaveDeviations&&) noexcept;

    void Add(int64_t value);
    void Cut();

    // Octaves 0 .. Octaves()-1: those where some segment gave an Allan term.
    int Octaves() const;
    // The normalised sums of octave k (m = 2^k readings).
    Octave At(int k) const;

    class Stage;  // one decimation, in the source file

private:
    Stage& StageAt(size_t s);

    bool wide_;
    std::vector<std::unique_ptr<Stage>> stages_;
    std::array<Octave, kMaxOctaves> raw_{};  // squares of the integer differences
};

}  // namespace analysis
