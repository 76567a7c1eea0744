#pragma once

#include <string>
#include <string_view>

// The folder of the running executable joined with name ("font/font.bmp").
// Every file the program finds by itself is resolved this way, never against
// the current folder.
std::string GetExePath(std::string_view name);
