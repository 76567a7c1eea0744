#include "system/FileCalls.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(kPipeWriteBytes == PIPE_BUF);

namespace {

// O_NONBLOCK keeps a FIFO without a reader from hanging the open; it changes nothing
// for files.
constexpr int kAppendFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

SysResult<UniqueFd> Opened(int fd)
{
    if (fd < 0)
        return LastSysError();
    return UniqueFd(fd);
}

SysStatus StatusOf(int result)
{
    if (result != 0)
        return LastSysError();
    return Done{};
}

FileKind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    return S_ISCHR(mode) ? FileKind::CharacterDevice : FileKind::Other;
}

SysResult<FileFacts> FactsFrom(int result, const struct stat& status)
{
    if (result != 0)
        return LastSysError();
    const auto modified = std::chrono::seconds(status.st_mtim.tv_sec) +
                          std::chrono::nanoseconds(status.st_mtim.tv_nsec);
    return FileFacts{KindOf(status.st_mode),
                     static_cast<uint64_t>(status.st_size),
                     status.st_dev,
                     status.st_ino,
                     status.st_mode & 07777u,
                     status.st_uid,
                     std::chrono::system_clock::time_point(
                         std::chrono::duration_cast<std::chrono::system_clock::duration>(modified))};
}

SysResult<std::size_t> Count(ssize_t count)
{
    if (count < 0)
        return LastSysError();
    return static_cast<std::size_t>(count);
}

}  // namespace

bool WouldBlock(const SysError& error)
{
    return error.Code == EAGAIN || error.Code == EWOULDBLOCK;
}

SysResult<UniqueFd> OpenToRead(const std::string& path)
{
    return Opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

SysResult<UniqueFd> OpenToReadWithoutWaiting(const std::string& path)
{
    return Opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

SysResult<UniqueFd> OpenToAppend(const std::string& path, Access access)
{
    const int mode = access == Access::ReadWrite ? O_RDWR : O_WRONLY;
    return Opened(::open(path.c_str(), mode | kAppendFlags, 0644));
}

SysResult<UniqueFd> OpenNewFile(const std::string& path, unsigned mode)
{
    return Opened(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode)));
}

SysStatus CreateNewFile(const std::string& path, std::string_view contents)
{
    SysResult<UniqueFd> file = OpenNewFile(path, 0644);
    if (!file)
        return file.Error();
    const SysStatus written = WriteAll(file.Value().Get(), contents);
    if (!written)
        RemoveFile(path);
    return written;
}

SysResult<UniqueFd> OpenLockFile(const std::string& path)
{
    return Opened(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
}

SysResult<UniqueFd> DuplicateStandardOutput()
{
    return Opened(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3));
}

SysResult<FileFacts> FactsOf(int fd)
{
    struct stat status {};
    const int result = ::fstat(fd, &status);
    return FactsFrom(result, status);
}

SysResult<FileFacts> FactsAt(const std::string& path)
{
    struct stat status {};
    const int result = ::stat(path.c_str(), &status);
    return FactsFrom(result, status);
}

SysResult<FileFacts> LinkFactsAt(const std::string& path)
{
    struct stat status {};
    const int result = ::lstat(path.c_str(), &status);
    return FactsFrom(result, status);
}

SysResult<std::size_t> ReadSome(int fd, std::span<char> buffer)
{
    ssize_t got = 0;
    while ((got = ::read(fd, buffer.data(), buffer.size())) < 0 && errno == EINTR) {
    }
    return Count(got);
}

SysResult<std::size_t> ReadSomeAt(int fd, std::span<char> buffer, uint64_t offset)
{
    ssize_t got = 0;
    while ((got = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset))) < 0 && errno == EINTR) {
    }
    return Count(got);
}

SysResult<std::size_t> WriteSome(int fd, std::string_view bytes)
{
    ssize_t written = 0;
    while ((written = ::write(fd, bytes.data(), bytes.size())) < 0 && errno == EINTR) {
    }
    if (written == 0 && !bytes.empty())
        return SysError{EIO};
    return Count(written);
}

SysStatus WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const SysResult<std::size_t> written = WriteSome(fd, bytes);
        if (!written)
            return written.Error();
        bytes.remove_prefix(written.Value());
    }
    return Done{};
}

SysStatus SyncFile(int fd)
{
    return StatusOf(::fsync(fd));
}

SysStatus TruncateFile(int fd, uint64_t size)
{
    return StatusOf(::ftruncate(fd, static_cast<off_t>(size)));
}

SysResult<uint64_t> CurrentOffset(int fd)
{
    const off_t offset = ::lseek(fd, 0, SEEK_CUR);
    if (offset < 0)
        return LastSysError();
    return static_cast<uint64_t>(offset);
}

SysStatus LockWithoutWaiting(int fd)
{
    return StatusOf(::flock(fd, LOCK_EX | LOCK_NB));
}

SysStatus MakeFolder(const std::string& path, unsigned mode)
{
    return StatusOf(::mkdir(path.c_str(), static_cast<mode_t>(mode)));
}

bool FolderWritable(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

SysStatus RemoveFile(const std::string& path)
{
    return StatusOf(::unlink(path.c_str()));
}

SysStatus SetMode(const std::string& path, unsigned mode)
{
    return StatusOf(::chmod(path.c_str(), static_cast<mode_t>(mode)));
}

SysStatus CloseFile(UniqueFd& fd)
{
    if (fd.Close() || errno == EINTR)
        return Done{};
    return LastSysError();
}
