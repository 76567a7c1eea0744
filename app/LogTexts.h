#pragma once

#include <cstdint>
#include <string>

#include <QString>

#include "log/LogFailure.h"

// What the window says about its log, in the user's language; the system's own
// reasons (strerror) come as the system words them.
QString LogFailureShown(const std::string& path, const LogFailure& failure);
QString DroppedRowsShown(uint64_t dropped, const std::string& path);
