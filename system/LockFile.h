#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "system/SysResult.h"

// The file calls a lock file needs; what it holds, and when it is stale, its owner decides.

// Whether files may be made and removed in folder.
bool FolderWritable(const std::string& folder);

// Makes path, which must not exist yet, holding contents; a file that could
// not be written wholly is removed again.
SysStatus CreateNewFile(const std::string& path, const std::string& contents);

// When path was last written; nullopt when it cannot be examined.
std::optional<std::chrono::system_clock::time_point> LastWritten(const std::string& path);
