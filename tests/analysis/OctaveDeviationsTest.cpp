#include "analysis/OctaveDeviations.h"
#include "tests/analysis/PowerLawNoise.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using analysis::OctaveDeviations;

namespace {

constexpr size_t kStride = size_t{1} << OctaveDeviations::kDecimationShift;

struct StridedRow {
    const char* Name;
    int alpha;                    // of the noise: 2 (white phase), 0 (white frequency) or -2
    double amplitude;             // of the noise, in counts
    int64_t level;                // added to every reading
    bool wide;
    std::vector<size_t> lengths;  // of the segments, cut between them
};

// Sums of the terms that start at every kStride-th reading of each segment, straight
// from their definitions in long double on the readings' running sums.
struct Batch {
    OctaveDeviations::Octave octave;

    Batch(const std::vector<std::vector<int64_t>>& segments, size_t m)
    {
        for (const auto& segment : segments)
            AddSegment(segment, m);
        const long double m2 = static_cast<long double>(m) * m;
        octave.adev.squares /= m2;
        octave.hdev.squares /= m2;
        octave.mdev.squares /= m2 * m2;
    }

    void AddSegment(const std::vector<int64_t>& y, size_t m)
    {
        std::vector<long double> p(y.size() + 1, 0.0L);  // p[i]: the first i readings
        for (size_t i = 0; i < y.size(); ++i)
            p[i + 1] = p[i] + static_cast<long double>(y[i] - y[0]);
        const size_t whole = y.size() / kStride * kStride;  // terms end within whole blocks
        if (whole < 2 * m)
            return;
        std::vector<long double> seconds(whole - 2 * m + 1, 0.0L);  // running sum of second differences
        for (size_t i = 0; i + 1 < seconds.size(); ++i)
            seconds[i + 1] = seconds[i] + p[i + 2 * m] - 2 * p[i + m] + p[i];
        for (size_t j = 0; j + 2 * m <= whole; j += kStride) {
            Add(octave.adev, p[j + 2 * m] - 2 * p[j + m] + p[j]);
            if (j + 3 * m > whole)
                continue;
            Add(octave.hdev, p[j + 3 * m] - 3 * p[j + 2 * m] + 3 * p[j + m] - p[j]);
            Add(octave.mdev, seconds[j + m] - seconds[j]);
        }
    }

    static void Add(OctaveDeviations::Sums& sums, long double term)
    {
        sums.squares += term * term;
        ++sums.terms;
    }
};

// The filter of random-walk noise is as long as the series; a running sum is quicker.
std::vector<double> Noise(int alpha, size_t count, uint64_t seed)
{
    std::vector<double> y = PowerLawNoise(alpha == -2 ? 0 : alpha, count, seed);
    for (size_t i = 1; alpha == -2 && i < y.size(); ++i)
        y[i] += y[i - 1];
    return y;
}

void ExpectSame(const OctaveDeviations::Sums& engine, const OctaveDeviations::Sums& batch)
{
    EXPECT_EQ(engine.terms, batch.terms);
    EXPECT_NEAR(static_cast<double>(engine.squares), static_cast<double>(batch.squares),
                1e-12 * static_cast<double>(batch.squares));
}

class StridedOctave : public ::testing::TestWithParam<StridedRow> {};

}  // namespace

// Above the exact range every deviation is the exact terms taken at a stride of 1024
// readings: the same sums as a long double computation of those terms.
TEST_P(StridedOctave, EqualsTheStridedTermsInLongDouble)
{
    const StridedRow& row = GetParam();
    OctaveDeviations octaves(row.wide);
    std::vector<std::vector<int64_t>> segments;
    uint64_t seed = 1;
    for (const size_t length : row.lengths) {
        const std::vector<double> noise = Noise(row.alpha, length, seed++);
        auto& segment = segments.emplace_back();
        for (const double n : noise) {
            segment.push_back(row.level + std::llround(row.amplitude * n));
            octaves.Add(segment.back());
        }
        octaves.Cut();
    }
    ASSERT_GT(octaves.Octaves(), OctaveDeviations::kExactOctaves);
    ASSERT_GT(octaves.At(OctaveDeviations::kExactOctaves).mdev.terms, 0u);
    for (int k = OctaveDeviations::kExactOctaves; k < octaves.Octaves(); ++k) {
        SCOPED_TRACE(k);
        const OctaveDeviations::Octave engine = octaves.At(k);
        const Batch batch(segments, size_t{1} << k);
        EXPECT_EQ(engine.stride, kStride);
        ExpectSame(engine.adev, batch.octave.adev);
        ExpectSame(engine.mdev, batch.octave.mdev);
        ExpectSame(engine.hdev, batch.octave.hdev);
    }
}

const StridedRow kStridedRows[] = {
    {"WhitePhaseOneSegment", 2, 1000.0, 10'000'000, false, {540'000}},
    {"RandomWalkCutThrice", -2, 3.0, 10'000'000, false, {420'000, 700, 530'000, 2'000}},
    {"WideReadingsNearTwoToTheFifty", 0, 1e9, int64_t{1} << 50, true, {460'000}},
};
INSTANTIATE_TEST_SUITE_P(AboveTheExactRange, StridedOctave, ::testing::ValuesIn(kStridedRows), kRowName);
