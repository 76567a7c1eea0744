#pragma once

#include "stability/FrequencySample.h"
#include "stability/StabilitySummary.h"

#include <span>
#include <vector>

// Where each reading stands on one time axis, in seconds from the first: t_s within a
// run, each new run (a restart the analysis found) placed tau0 after the end of the
// run before. summary must come from AnalyseSamples(samples).
std::vector<double> RunTimeline(std::span<const FrequencySample> samples,
                                const StabilitySummary& summary);
