#include "stability/GateSpacing.h"

#include <algorithm>
#include <limits>
#include <utility>

GateSpacing::GateSpacing(std::optional<uint32_t> gateMs)
    : lowerBoundUs_(gateMs ? static_cast<double>(*gateMs) * 1000.0 : 0.0)
{
}

void GateSpacing::Count(std::optional<int64_t> stepUs)
{
    ++readings_;
    if (stepUs)
        coveredUs_ += *stepUs;
}

void GateSpacing::Accept(int64_t intervalUs, uint64_t readings)
{
    spanUs_ += intervalUs;
    steps_ += readings;
}

void GateSpacing::NoteStart(int64_t intervalUs, uint64_t readings)
{
    if (!Started() && readings > 0)
        start_[started_++] = static_cast<double>(intervalUs) / static_cast<double>(readings);
}

double GateSpacing::Tau0Us() const
{
    if (steps_ == 0)
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(spanUs_) / static_cast<double>(steps_);
}

// The median, not the mean, of the first deliveries: a gap among them, which this
// spacing is there to find, is the one value far from the others.
double GateSpacing::StartUs() const
{
    double spacing = 0.0;
    if (started_ > 0) {
        std::array<double, kStartDeliveries> sorted = start_;
        for (size_t i = 1; i < started_; ++i) {  // insertion: a handful of values
            for (size_t j = i; j > 0 && sorted[j - 1] > sorted[j]; --j)
                std::swap(sorted[j - 1], sorted[j]);
        }
        spacing = (sorted[(started_ - 1) / 2] + sorted[started_ / 2]) / 2.0;
    }
    return std::max(spacing, lowerBoundUs_);
}

double GateSpacing::JudgingUs() const
{
    return steps_ > 0 ? std::max(Tau0Us(), lowerBoundUs_) : StartUs();
}
