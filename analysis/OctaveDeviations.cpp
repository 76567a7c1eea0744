#include "analysis/OctaveDeviations.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

__extension__ using Wide = unsigned __int128;
__extension__ using SignedWide = __int128;

constexpr size_t kBlock = size_t{1} << OctaveDeviations::kDecimationShift;
constexpr size_t kLargestStep = size_t{1} << (OctaveDeviations::kExactOctaves - 1);
constexpr size_t kFullRing = size_t{1} << 18;  // holds 3 * kLargestStep + 1 sums
constexpr size_t kFirstRing = 1024;


}  // namespace

// The readings of one decimation: values are sums of 1024^s readings. prefix_[n] is
// the sum of the segment's first n values, kept for the last 3 m + 1 indices in a
// ring that grows with the segment. Stage 0 of counter readings (offsets below 2^32)
// sums in 64 bits, which hold every difference it forms; everything else in 128.
class OctaveDeviations::Stage {
public:
    virtual ~Stage() = default;
    // Adds one value and its terms; returns whether a block for the next stage is full.
    virtual bool Add(SignedWide value, std::array<Octave, kMaxOctaves>& raw) = 0;
    virtual SignedWide TakeBlock() = 0;
    virtual void Cut() = 0;
};

namespace {

template <typename Word, typename Signed>
class StageOf final : public OctaveDeviations::Stage {
public:
    explicit StageOf(size_t index)
        : firstOctave_(index == 0 ? 0
                                  : static_cast<int>(index) * OctaveDeviations::kDecimationShift + 7),
          lastOctave_(OctaveDeviations::kExactOctaves - 1 +
                      static_cast<int>(index) * OctaveDeviations::kDecimationShift),
          firstStep_(size_t{1}
                     << (firstOctave_ - static_cast<int>(index) * OctaveDeviations::kDecimationShift))
    {
    }

    bool Add(SignedWide value, std::array<OctaveDeviations::Octave, OctaveDeviations::kMaxOctaves>&
                                   raw) override
    {
        Grow();
        if (count_ == 0)
            prefix_[0] = 0;
        const Word prefix = Prefix(count_) + static_cast<Word>(value);
        ++count_;
        prefix_[count_ & mask_] = prefix;
        AddTerms(raw);
        block_ += value;
        return ++blockCount_ == kBlock;
    }

    SignedWide TakeBlock() override
    {
        const SignedWide block = block_;
        block_ = 0;
        blockCount_ = 0;
        return block;
    }

    void Cut() override
    {
        count_ = 0;
        block_ = 0;
        blockCount_ = 0;
        windows_.fill(0);
    }

private:
    Word Prefix(size_t n) const { return prefix_[n & mask_]; }
    // The second difference of the m values before index end and the m before those.
    Signed Second(size_t end, size_t step) const
    {
        return static_cast<Signed>(Prefix(end) - 2 * Prefix(end - step) + Prefix(end - 2 * step));
    }

    // The modified Allan term at n is the sum of the last m second differences,
    // kept per octave as a window that slides by one value.
    void AddTerms(std::array<OctaveDeviations::Octave, OctaveDeviations::kMaxOctaves>& raw)
    {
        const size_t n = count_;
        size_t step = firstStep_;
        for (int k = firstOctave_; k <= lastOctave_ && 2 * step <= n; ++k, step *= 2) {
            OctaveDeviations::Octave& octave = raw[static_cast<size_t>(k)];
            const Signed second = Second(n, step);
            const auto a = static_cast<long double>(second);
            octave.adev.squares += a * a;
            ++octave.adev.terms;
            SignedWide& window = windows_[static_cast<size_t>(k - firstOctave_)];
            window += second;
            if (n < 3 * step)
                continue;
            const Signed third = static_cast<Signed>(second - Second(n - step, step));
            const auto h = static_cast<long double>(third);
            octave.hdev.squares += h * h;
            ++octave.hdev.terms;
            window -= Second(n - step, step);
        }
        AddModified(raw);
    }

    void AddModified(std::array<OctaveDeviations::Octave, OctaveDeviations::kMaxOctaves>& raw)
    {
        const size_t n = count_;
        size_t step = firstStep_;
        for (int k = firstOctave_; k <= lastOctave_ && 3 * step <= n + 1; ++k, step *= 2) {
            const auto w = static_cast<long double>(windows_[static_cast<size_t>(k - firstOctave_)]);
            raw[static_cast<size_t>(k)].mdev.squares += w * w;
            ++raw[static_cast<size_t>(k)].mdev.terms;
        }
    }

    // Keeps every index the terms reach: n - 3 m to n.
    void Grow()
    {
        if (count_ + 2 <= prefix_.size() || prefix_.size() == kFullRing)
            return;
        const size_t size = std::max(kFirstRing, prefix_.size() * 2);
        std::vector<Word> prefix(size);
        const size_t kept = std::min(prefix_.size(), count_ + 1);
        for (size_t i = count_ + 1 - kept; i <= count_; ++i)
            prefix[i & (size - 1)] = Prefix(i);
        prefix_.swap(prefix);
        mask_ = size - 1;
    }

    int firstOctave_;
    int lastOctave_;
    size_t firstStep_;
    std::vector<Word> prefix_;
    size_t mask_ = 0;
    size_t count_ = 0;  // values in the segment
    std::array<SignedWide, OctaveDeviations::kExactOctaves> windows_{};
    SignedWide block_ = 0;
    size_t blockCount_ = 0;
};

}  // namespace

OctaveDeviations::OctaveDeviations(bool wide) : wide_(wide) {}
OctaveDeviations::~OctaveDeviations() = default;
OctaveDeviations::OctaveDeviations(OctaveDeviations&&) noexcept = default;
OctaveDeviations& OctaveDeviations::operator=(OctaveDeviations&&) noexcept = default;

OctaveDeviations::Stage& OctaveDeviations::StageAt(size_t s)
{
    if (s == stages_.size() && s == 0 && !wide_)
        stages_.push_back(std::make_unique<StageOf<uint64_t, int64_t>>(s));
    else if (s == stages_.size())
        stages_.push_back(std::make_unique<StageOf<Wide, SignedWide>>(s));
    return *stages_[s];
}

void OctaveDeviations::Add(int64_t value)
{
    SignedWide next = value;
    for (size_t s = 0; StageAt(s).Add(next, raw_); ++s) {
        next = stages_[s]->TakeBlock();
        if (kExactOctaves - 1 + static_cast<int>(s + 1) * kDecimationShift >= kMaxOctaves)
            break;
    }
}

void OctaveDeviations::Cut()
{
    for (auto& stage : stages_)
        stage->Cut();
}

int OctaveDeviations::Octaves() const
{
    int octaves = 0;
    for (int k = 0; k < kMaxOctaves; ++k)
        if (raw_[static_cast<size_t>(k)].adev.terms > 0)
            octaves = k + 1;
    return octaves;
}

OctaveDeviations::Octave OctaveDeviations::At(int k) const
{
    const int shift = std::max(0, (k - kExactOctaves + kDecimationShift) / kDecimationShift) *
                      kDecimationShift;
    const long double m = std::ldexp(1.0L, k);
    const long double decimated = std::ldexp(1.0L, k - shift);
    Octave octave = raw_[static_cast<size_t>(k)];
    octave.adev.squares /= m * m;
    octave.hdev.squares /= m * m;
    octave.mdev.squares /= (m * decimated) * (m * decimated);
    octave.stride = uint64_t{1} << shift;
    return octave;
}

}  // namespace analysis
