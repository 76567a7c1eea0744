#pragma once

#include <string>

#include "system/SysResult.h"

// Why a log file stopped, kept apart from its wording: pelmora-log prints it in English
// (LogFailureText), the window in the user's language.
struct LogFailure {
    enum class Cause { None, System, NotRegularFile, OutOfMemory, RemovedOrRenamed };

    Cause cause = Cause::None;
    SysError systemError{};        // of Cause::System
    bool started = false;          // false: the file could not be opened (or headed) at all
    bool lastRowCutShort = false;  // a failed write could not be cut back to a whole row
};

// "Logging stopped: <path>: No space left on device", or "Logging could not start: ..."
// when the log never started.
std::string LogFailureText(const std::string& path, const LogFailure& failure);

// "Cannot read <path>: No such file or directory": a log that could not be read back.
std::string LogReadFailureText(const std::string& path, const SysError& error);
