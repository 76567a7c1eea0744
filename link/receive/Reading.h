#pragma once

#include <chrono>

#include "link/receive/RecordAssembler.h"
#include "log/LogClock.h"

// One accepted record as every sink of a counter session gets it.
struct Reading {
    char Record[kRecordLength + 1] = {};             // its 18 characters and a terminator
    std::chrono::steady_clock::time_point Readable;  // when its last byte became readable
    LogTime Stamp;  // taken once: the log's row and the statistics show the same time
};
