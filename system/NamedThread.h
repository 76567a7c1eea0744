#pragma once

#include <functional>
#include <thread>

#include "system/SysResult.h"

// Starts body on a new thread named name (at most 15 characters), which tells
// it apart in /proc and tools; fails when the system has no thread to give.
SysResult<std::thread> StartNamedThread(const char* name, std::function<void()> body);
