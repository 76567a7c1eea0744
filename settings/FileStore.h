#pragma once

#include <cstddef>
#include <string>

#include "system/FileBytes.h"

// The settings file as bytes (system/FileBytes.h), under the settings' own limit.

// A settings file larger than this is not read (and therefore never rewritten).
inline constexpr std::size_t kMaxSettingsFileSize = 16u * 1024u * 1024u;

// The bytes of the settings file at path; ReadFileBytes's errors under kMaxSettingsFileSize.
SysResult<std::string> ReadSettingsFile(const std::string& path);

// path followed through symbolic links to the name of the file they lead to,
// which need not exist yet.
std::string ResolveLinks(const std::string& path);
