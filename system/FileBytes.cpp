#include "system/FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system/FileCalls.h"
#include "system/UniqueFd.h"

namespace {

constexpr int kMaxTemporaryAttempts = 100;

SysStatus Check(bool ok)
{
    if (!ok)
        return LastSysError();
    return Done{};
}

SysStatus ReadAll(int fd, std::string& content, std::size_t maxSize)
{
    char buffer[16384];
    for (;;) {
        const SysResult<std::size_t> got = ReadSome(fd, buffer);
        if (!got)
            return got.Error();
        if (got.Value() == 0)
            return Done{};
        content.append(buffer, got.Value());
        if (content.size() > maxSize)
            return SysError{EFBIG};
    }
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct Temporary {
    UniqueFd fd;
    std::string path;
};

// A new file beside path, created with the usual mode (0666 less the umask).
SysResult<Temporary> CreateTemporary(const std::string& path)
{
    const std::string stem = FolderOf(path) + "/." + NameOf(path) + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
        std::string temporaryPath = stem + std::to_string(attempt);
        SysResult<UniqueFd> file = OpenNewFile(temporaryPath, 0666);
        if (file)
            return Temporary{std::move(file).Value(), std::move(temporaryPath)};
        if (file.Error().Code != EEXIST)
            return file.Error();
    }
    return SysError{EEXIST};
}

SysStatus TakeOverAttributes(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        // Only root may give the file back to its owner; anyone else makes it their own.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    return Check(::fchmod(fd, old.st_mode & 07777) == 0);
}

void SyncFolder(const std::string& path)
{
    const UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid())
        ::fsync(folder.Get());
}

SysStatus WriteTemporary(Temporary& temporary, const struct stat* old, std::string_view content)
{
    SysStatus written = WriteAll(temporary.fd.Get(), content);
    if (written && old != nullptr)
        written = TakeOverAttributes(temporary.fd.Get(), *old);
    if (written)
        written = SyncFile(temporary.fd.Get());
    const bool closed = temporary.fd.Close();
    if (written && !closed)
        return LastSysError();
    return written;
}

SysStatus ReplaceThroughTemporary(Temporary temporary, const std::string& path, const struct stat* old,
                                  std::string_view content)
{
    SysStatus replaced = WriteTemporary(temporary, old, content);
    if (replaced)
        replaced = Check(::rename(temporary.path.c_str(), path.c_str()) == 0);
    if (!replaced) {
        ::unlink(temporary.path.c_str());
        return replaced;
    }
    SyncFolder(path);
    return Done{};
}

SysStatus ReserveSpace(int fd, uint64_t from, uint64_t to)
{
    if (to <= from)
        return Done{};
    const int error = ::posix_fallocate(fd, static_cast<off_t>(from), static_cast<off_t>(to - from));
    if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
        return SysError{error};
    return Done{};
}

// Not atomic, but the space is reserved first, so a full disk stops the write
// before any byte of the old file is overwritten.
SysStatus RewriteInPlace(const std::string& path, std::string_view content)
{
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.Valid())
        return LastSysError();
    const SysResult<FileFacts> facts = FactsOf(file.Get());
    SysStatus written = facts ? ReserveSpace(file.Get(), facts.Value().size, content.size()) : facts.Error();
    if (written)
        written = WriteAll(file.Get(), content);
    if (written)
        written = TruncateFile(file.Get(), content.size());
    if (written)
        written = SyncFile(file.Get());
    const bool closed = file.Close();
    if (written && !closed)
        return LastSysError();
    return written;
}

} // namespace

SysResult<std::string> ReadFileBytes(const std::string& path, std::size_t maxSize)
{
    const SysResult<UniqueFd> file = OpenToReadWithoutWaiting(path);
    if (!file)
        return file.Error();
    const SysResult<FileFacts> facts = FactsOf(file.Value().Get());
    if (!facts)
        return facts.Error();
    if (facts.Value().kind != FileKind::Regular)
        return SysError{facts.Value().kind == FileKind::Folder ? EISDIR : EINVAL};
    if (facts.Value().size > maxSize)
        return SysError{EFBIG};
    std::string content;
    const SysStatus read = ReadAll(file.Value().Get(), content, maxSize);
    if (!read)
        return read.Error();
    return content;
}

SysStatus ReplaceFileBytes(const std::string& path, std::string_view content)
{
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return SysError{EINVAL};
    // A file its owner made read-only stays as it is, even where the folder would allow a rename.
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return LastSysError();
    SysResult<Temporary> temporary = CreateTemporary(path);
    if (!temporary)
        return exists ? RewriteInPlace(path, content) : temporary.Error();
    return ReplaceThroughTemporary(std::move(temporary).Value(), path, exists ? &old : nullptr, content);
}
