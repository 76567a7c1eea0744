#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "system/SysResult.h"

// Private-profile (INI) files with the semantics Pelmora.ini relies on:
// section and key names match without regard to case, blanks around a value
// are dropped, one pair of enclosing quotes is removed, a value is cut to
// bufferSize - 1 characters, and a write keeps every line it does not own.

// The value of section/key in file, or defaultText when the file, section or
// key is missing (or the file cannot be read). A present empty value stays
// empty. Only text from the file is cut to bufferSize - 1 bytes: defaultText is
// the program's own and comes back whole.
std::string GetProfileString(const std::string& file, std::string_view section,
                             std::string_view key, std::string_view defaultText,
                             std::size_t bufferSize);

struct ProfileWrite {
    std::string Section;
    std::string Key;
    std::string Value;
};

// The same lookup over file content held in memory.
std::string GetProfileStringFromText(std::string_view content, std::string_view section,
                                     std::string_view key, std::string_view defaultText,
                                     std::size_t bufferSize);

// content after the writes, applied in order: a value is replaced where it
// stands, a new key goes to the end of its section, a new section to the end.
std::string ApplyProfileWrites(std::string_view content, const std::vector<ProfileWrite>& writes);

// Applies the writes to file in one atomic replacement (or in place where the
// folder is read-only but the file is writable). Returns false when nothing
// could be written; the old file then stays intact. A file that exists but
// cannot be read is never rewritten, so its other lines cannot be lost. A
// symbolic link is written through to its target.
bool WriteProfileStrings(const std::string& file, const std::vector<ProfileWrite>& writes);
// The same, with the error of the call that failed.
SysStatus WriteProfileFile(const std::string& file, const std::vector<ProfileWrite>& writes);
