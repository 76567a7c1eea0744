#pragma once

#include <thread>

// Gives thread the name tools such as top show; a name over 15 bytes is not taken.
void NameThread(std::thread& thread, const char* name);
