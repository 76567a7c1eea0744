#pragma once

#include "tools/logger/LoggerOptions.h"

// Prints the summary of a log file (text or JSON) and draws its plot when asked.
// argc/argv go to the QGuiApplication the plot needs. Returns the exit code.
int RunAnalysis(const LoggerOptions& options, int argc, char** argv);
