#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whole-file access for the settings file: plain bytes, no line-end or
// encoding changes.

enum class FileRead { Ok, Missing, Failed };

// A settings file larger than this is not read (and therefore never rewritten).
inline constexpr std::size_t kMaxSettingsFileSize = 16u * 1024u * 1024u;

// Reads the regular file at path into content. Missing: no file by that name.
// Failed: a directory, a device or pipe, unreadable, or larger than the limit.
FileRead ReadFileBytes(const std::string& path, std::string& content);

// path followed through symbolic links to the name of the file they lead to,
// which need not exist yet.
std::string ResolveLinks(const std::string& path);

// Makes content the file's bytes: written to a temporary file in the same
// folder, flushed and renamed over path (mode and owner of the old file kept),
// so the file is either old or new, never half written. Where no file can be
// created in the folder but the file itself is writable, it is rewritten in
// place. A file that is itself read-only is not replaced. False when nothing
// was written; the old file is then unchanged.
bool ReplaceFileBytes(const std::string& path, std::string_view content);
