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
// Above stage 0 the ring also keeps phase_[n], the sum of the phase (the running sum
// of readings) at every reading before value n, so that the modified Allan terms that
// start at a value's first reading are exact: a value brings its inner phase sum, the
// sum of the running sums within it.
class OctaveDeviations::Stage {
public:
    struct Value {
        SignedWide sum = 0;
        SignedWide inner = 0;  // the sum over its readings of the sum of those before them
    };
    virtual ~Stage() = default;
    // Adds one value and its terms; returns whether a block for the next stage is full.
    virtual bool Add(Value value, std::array<Octave, kMaxOctaves>& raw) = 0;
    virtual Value TakeBlock() = 0;
    virtual void Cut() = 0;
};

namespace {

template <typename Word, typename Signed>
class StageOf final : public OctaveDeviations::Stage {
public:
    using Raw = std::array<OctaveDeviations::Octave, OctaveDeviations::kMaxOctaves>;

    explicit StageOf(size_t index)
        : firstOctave_(index == 0 ? 0
                                  : static_cast<int>(index) * OctaveDeviations::kDecimationShift + 7),
          lastOctave_(OctaveDeviations::kExactOctaves - 1 +
                      static_cast<int>(index) * OctaveDeviations::kDecimationShift),
          firstStep_(size_t{1}
                     << (firstOctave_ - static_cast<int>(index) * OctaveDeviations::kDecimationShift)),
          strided_(index > 0),
          width_(Wide{1} << (index * OctaveDeviations::kDecimationShift))
    {
    }

    bool Add(Value value, Raw& raw) override
    {
        Grow();
        if (count_ == 0) {
            prefix_[0] = 0;
            if (strided_)
                phase_[0] = 0;
        }
        const Word before = Prefix(count_);
        ++count_;
        prefix_[count_ & mask_] = before + static_cast<Word>(value.sum);
        if (strided_)
            phase_[count_ & mask_] =
                Phase(count_ - 1) + width_ * static_cast<Wide>(before) + static_cast<Wide>(value.inner);
        AddTerms(raw);
        block_.inner += value.inner + static_cast<SignedWide>(width_) * block_.sum;
        block_.sum += value.sum;
        return ++blockCount_ == kBlock;
    }

    Value TakeBlock() override
    {
        const Value block = block_;
        block_ = Value{};
        blockCount_ = 0;
        return block;
    }

    void Cut() override
    {
        count_ = 0;
        block_ = Value{};
        blockCount_ = 0;
        windows_.fill(0);
    }

private:
    Word Prefix(size_t n) const { return prefix_[n & mask_]; }
    Wide Phase(size_t n) const { return phase_[n & mask_]; }
    // The second difference of the m values before index end and the m before those.
    Signed Second(size_t end, size_t step) const
    {
        return static_cast<Signed>(Prefix(end) - 2 * Prefix(end - step) + Prefix(end - 2 * step));
    }

    void AddTerms(Raw& raw)
    {
        const size_t n = count_;
        size_t step = firstStep_;
        for (int k = firstOctave_; k <= lastOctave_ && 2 * step <= n; ++k, step *= 2) {
            OctaveDeviations::Octave& octave = raw[static_cast<size_t>(k)];
            const Signed second = Second(n, step);
            const auto a = static_cast<long double>(second);
            octave.adev.squares += a * a;
            ++octave.adev.terms;
            if (!strided_)
                windows_[static_cast<size_t>(k)] += second;
            if (n < 3 * step)
                continue;
            const Signed third = static_cast<Signed>(second - Second(n - step, step));
            const auto h = static_cast<long double>(third);
            octave.hdev.squares += h * h;
            ++octave.hdev.terms;
            if (!strided_)
                windows_[static_cast<size_t>(k)] -= Second(n - step, step);
        }
        if (strided_)
            AddStridedModified(raw);
        else
            AddModified(raw);
    }

    // The modified Allan term at n is the sum of the last m second differences,
    // kept per octave as a window that slides by one value.
    void AddModified(Raw& raw)
    {
        const size_t n = count_;
        size_t step = firstStep_;
        for (int k = firstOctave_; k <= lastOctave_ && 3 * step <= n + 1; ++k, step *= 2)
            AddModifiedTerm(raw[static_cast<size_t>(k)], windows_[static_cast<size_t>(k)]);
    }

    // The sum of m second differences of the phase is a third difference of the
    // phase's running sum.
    void AddStridedModified(Raw& raw)
    {
        const size_t n = count_;
        size_t step = firstStep_;
        for (int k = firstOctave_; k <= lastOctave_ && 3 * step <= n; ++k, step *= 2) {
            const Wide third = Phase(n) - 3 * Phase(n - step) + 3 * Phase(n - 2 * step) - Phase(n - 3 * step);
            AddModifiedTerm(raw[static_cast<size_t>(k)], static_cast<SignedWide>(third));
        }
    }

    static void AddModifiedTerm(OctaveDeviations::Octave& octave, SignedWide term)
    {
        const auto w = static_cast<long double>(term);
        octave.mdev.squares += w * w;
        ++octave.mdev.terms;
    }

    // Keeps every index the terms reach: n - 3 m to n.
    void Grow()
    {
        if (count_ + 2 <= prefix_.size() || prefix_.size() == kFullRing)
            return;
        const size_t size = std::max(kFirstRing, prefix_.size() * 2);
        prefix_ = Regrown(prefix_, size);
        if (strided_)
            phase_ = Regrown(phase_, size);
        mask_ = size - 1;
    }

    template <typename T>
    std::vector<T> Regrown(const std::vector<T>& ring, size_t size) const
    {
        std::vector<T> grown(size);
        const size_t kept = std::min(ring.size(), count_ + 1);
        for (size_t i = count_ + 1 - kept; i <= count_; ++i)
            grown[i & (size - 1)] = ring[i & mask_];
        return grown;
    }

    int firstOctave_;
    int lastOctave_;
    size_t firstStep_;
    bool strided_;
    Wide width_;  // readings per value
    std::vector<Word> prefix_;
    std::vector<Wide> phase_;
    size_t mask_ = 0;
    size_t count_ = 0;  // values in the segment
    std::array<SignedWide, OctaveDeviations::kExactOctaves> windows_{};
    Value block_;
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
    Stage::Value next{value, 0};
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
    Octave octave = raw_[static_cast<size_t>(k)];
    octave.adev.squares /= m * m;
    octave.hdev.squares /= m * m;
    octave.mdev.squares /= (m * m) * (m * m);
    octave.stride = uint64_t{1} << shift;
    return octave;
}

}  // namespace analysis
