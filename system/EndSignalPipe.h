#pragma once

#include "system/UniqueFd.h"

// SIGTERM, SIGINT and SIGHUP written, as their numbers, into a socket pair by a
// handler that does nothing else (async-signal-safe), for the window's loop to
// read. A SIGHUP ignored when the instance is made (nohup) stays ignored. One
// instance at a time; it restores the previous handlers when it goes.
class EndSignalPipe {
public:
    // Installs nothing when the system gives no socket pair; ReadEnd() is then -1.
    EndSignalPipe();
    ~EndSignalPipe();
    EndSignalPipe(const EndSignalPipe&) = delete;
    EndSignalPipe& operator=(const EndSignalPipe&) = delete;

    // Readable while a signal waits.
    int ReadEnd() const { return readEnd_.Get(); }
    // The number of the next signal that waits; 0 when none does.
    int Next();

private:
    UniqueFd readEnd_;
};

// For a program without a window: SIGINT, SIGTERM and SIGHUP stop interrupting and
// turn the descriptor this returns readable instead (invalid when the system gives
// none). A SIGHUP ignored at the call (nohup) stays ignored.
UniqueFd EndSignalsAsDescriptor();

// SIGPIPE and SIGXFSZ ignored: a write to a closed pipe or past a file size limit
// then fails with its error instead of ending the program.
void IgnoreWriteSignals();
