#pragma once

#include <string>
#include <string_view>

// The folder of the running executable joined with name ("font/font.bmp").
// Every file the program finds by itself is resolved this way, never against
// the current folder. Without /proc (the one case where the executable cannot
// be found) name is returned as it is.
std::string GetExePath(std::string_view name);

// The folder of exePath (everything up to its last '/') joined with name;
// name alone when exePath has no folder.
std::string JoinExeFolder(std::string_view exePath, std::string_view name);

// The file name with its extension: everything after the last '/'.
std::string FileNameOf(const std::string& path);
