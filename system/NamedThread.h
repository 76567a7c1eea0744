#pragma once

#include <functional>
#include <thread>

#include "system/SysResult.h"

// Gives thread the name tools such as top show; a name over 15 bytes is not taken.
void NameThread(std::thread& thread, const char* name);

// Starts body on a new thread named name, which tells it apart in /proc and
// tools; fails when the system has no thread to give.
SysResult<std::thread> StartNamedThread(const char* name, std::function<void()> body);
