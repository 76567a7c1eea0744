#pragma once

#include <string>

// Why a log file stopped, kept apart from its wording: pelmora-log prints it in English
// (LogFailureText), the window in the user's language.
struct LogFailure {
    enum class Cause { None, System, NotRegularFile, OutOfMemory, RemovedOrRenamed };

    Cause cause = Cause::None;
    int systemError = 0;           // the errno of Cause::System
    bool started = false;          // false: the file could not be opened (or headed) at all
    bool lastRowCutShort = false;  // a failed write could not be cut back to a whole row
};

// "Logging stopped: <path>: No space left on device", or "Logging could not start: ..."
// when the log never started.
std::string LogFailureText(const std::string& path, const LogFailure& failure);
