#pragma once

#include "stability/FrequencySample.h"
#include "stability/StabilitySummary.h"

#include <span>
#include <vector>

// The analysis as it was before the streaming engine: every reading in memory, each
// gate's segments kept and each tau computed over them in turn. The engine must give
// its numbers, so it stays here as the oracle the tests hold the engine to.
StabilitySummary BatchAnalyseSamples(std::span<const FrequencySample> samples);

struct DeviationCurves {
    std::vector<DeviationPoint> adev;  // overlapping Allan
    std::vector<DeviationPoint> mdev;  // modified Allan
};

// The curves of one gap-free run of fractional frequencies y taken tau0 apart, at
// tau0 * 2^k while tau <= (N-1) tau0 / 4. The points carry no Hz values.
DeviationCurves FractionalDeviationCurves(std::span<const double> y, double tau0S);
