#include "stability/GateSpacing.h"

#include <cmath>
#include <limits>

namespace {

constexpr int64_t kWarmUpUs = 1'000'000;
constexpr double kLatencyUs = 20'000.0;
constexpr double kGapFactor = 1.5;

}  // namespace

bool GateSpacing::Add(std::optional<int64_t> stepUs)
{
    ++readings_;
    if (!stepUs)
        return false;
    const int64_t step = *stepUs;
    coveredUs_ += step;
    const bool judging = judgedUs_ >= kWarmUpUs;
    const double limit = judging ? GapLimitUs() : 0.0;
    const bool gap = judging && static_cast<double>(step) > limit;
    judgedUs_ += gap ? std::llround(limit) : step;
    ++judged_;
    if (!gap) {
        spanUs_ += step;
        ++steps_;
    }
    return gap;
}

double GateSpacing::Tau0Us() const
{
    if (steps_ == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(spanUs_) / static_cast<double>(steps_);
}

double GateSpacing::GapLimitUs() const
{
    return kGapFactor * static_cast<double>(judgedUs_) / static_cast<double>(judged_) + kLatencyUs;
}
