#pragma once

#include "tools/logger/LoggerOptions.h"

// Logs the counter on the port until the duration is up, Ctrl+C or SIGTERM; follows
// the adapter when it is pulled (or ends, with --exit-on-hangup); then prints the
// summary. Returns the exit code.
int RunRecording(const LoggerOptions& options);
