#pragma once

#include <string>

#include "log/StabilityEngine.h"

// The live status line on standard error: last frequency, count, mean, standard
// deviation, drift and ADEV at tau0; "-" for a figure not yet known.
std::string StatusText(const LiveStats& stats);
