#pragma once

#include <cstddef>
#include <string>

#include "stability/StabilityEngine.h"

// The live status line on standard error: last frequency, count, mean, standard
// deviation, drift and ADEV at tau0; "-" for a figure not yet known.
std::string StatusText(const LiveStats& stats);

// line cut to fit a terminal of columns: whole fields (two spaces apart) from the
// left while they fit in columns - 1, so the cursor never wraps to a new line.
std::string FitToColumns(const std::string& line, size_t columns);

// The width of the terminal on fd: its window size, else COLUMNS, else 80.
size_t TerminalColumns(int fd);
