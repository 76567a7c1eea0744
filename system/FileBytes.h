#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "system/SysResult.h"

// Whole-file access: plain bytes, no line-end or encoding changes.

// The bytes of the regular file at path. ENOENT: no file by that name; EISDIR: a
// folder; EINVAL: a device or pipe (never waited for); EFBIG: larger than maxSize.
SysResult<std::string> ReadFileBytes(const std::string& path, std::size_t maxSize);

// Makes content the file's bytes: written to a temporary file in the same
// folder, flushed and renamed over path (mode and owner of the old file kept),
// so the file is either old or new, never half written. Where no file can be
// created in the folder but the file itself is writable, it is rewritten in
// place. A file that is itself read-only is not replaced (EACCES), nor is
// anything but a regular file (EINVAL). On failure the old file is unchanged.
SysStatus ReplaceFileBytes(const std::string& path, std::string_view content);
