#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "system/SysResult.h"
#include "system/UniqueFd.h"

// The file calls the log, the settings and the share make on paths and descriptors.
// Reads and writes go on after an interrupting signal; everything else reports it.

inline constexpr int kStandardError = 2;
// What a pipe that waits writable takes in one write without blocking (PIPE_BUF).
inline constexpr std::size_t kPipeWriteBytes = 4096;

enum class FileKind { Regular, Folder, CharacterDevice, Other };

struct FileFacts {
    FileKind kind = FileKind::Other;
    uint64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    unsigned mode = 0;  // the permission bits
    unsigned owner = 0;
    std::chrono::system_clock::time_point modified;  // when it was last written
};

enum class Access { WriteOnly, ReadWrite };

// A call that would have had to wait on a non-blocking descriptor.
bool WouldBlock(const SysError& error);

SysResult<UniqueFd> OpenToRead(const std::string& path);
// Also a pipe or device by that name opens at once, without waiting for the other side.
SysResult<UniqueFd> OpenToReadWithoutWaiting(const std::string& path);
// Appends only, created with mode 0644 when missing; never makes a terminal ours.
SysResult<UniqueFd> OpenToAppend(const std::string& path, Access access);
// A file that must not exist yet, made write-only with mode (less the umask);
// EEXIST when something stands there.
SysResult<UniqueFd> OpenNewFile(const std::string& path, unsigned mode);
// Makes path, which must not exist yet, holding contents; a file that could
// not be written wholly is removed again.
SysStatus CreateNewFile(const std::string& path, std::string_view contents);
// A lock file (mode 0600 when created), never through a symbolic link.
SysResult<UniqueFd> OpenLockFile(const std::string& path);
// Standard output once more, at descriptor 3 or above.
SysResult<UniqueFd> DuplicateStandardOutput();

SysResult<FileFacts> FactsOf(int fd);
// Through symbolic links.
SysResult<FileFacts> FactsAt(const std::string& path);
// Of a symbolic link itself.
SysResult<FileFacts> LinkFactsAt(const std::string& path);

// 0 at the end of the input.
SysResult<std::size_t> ReadSome(int fd, std::span<char> buffer);
SysResult<std::size_t> ReadSomeAt(int fd, std::span<char> buffer, uint64_t offset);
// A write that takes nothing reports EIO, so a loop over it always ends.
SysResult<std::size_t> WriteSome(int fd, std::string_view bytes);
SysStatus WriteAll(int fd, std::string_view bytes);
SysStatus SyncFile(int fd);
SysStatus TruncateFile(int fd, uint64_t size);
SysResult<uint64_t> CurrentOffset(int fd);

// Exclusive and advisory; EWOULDBLOCK while another holds it.
SysStatus LockWithoutWaiting(int fd);

// EEXIST when something stands there already.
SysStatus MakeFolder(const std::string& path, unsigned mode);
// Whether files may be made and removed in folder.
bool FolderWritable(const std::string& folder);
SysStatus RemoveFile(const std::string& path);
SysStatus SetMode(const std::string& path, unsigned mode);

// Closes fd now; an interrupted close has closed all the same.
SysStatus CloseFile(UniqueFd& fd);
