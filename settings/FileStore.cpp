#include "settings/FileStore.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/ExePath.h"
#include "system/UniqueFd.h"

namespace {

// The kernel's own limit on links followed in one path lookup.
constexpr int kMaxLinkDepth = 40;
constexpr int kMaxTemporaryAttempts = 100;

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool ReadAll(int fd, std::string& content)
{
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > kMaxSettingsFileSize)
            return false;
    }
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside path, created with the usual mode (0666 less the umask).
int CreateTemporary(const std::string& path, std::string& temporaryPath)
{
    const std::string stem = FolderOf(path) + "/." + FileNameOf(path) + ".tmp-" +
                             std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < kMaxTemporaryAttempts; ++attempt) {
        temporaryPath = stem + std::to_string(attempt);
        const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool TakeOverAttributes(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        // Only root may give the file back to its owner; anyone else makes it their own.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

void SyncFolder(const std::string& path)
{
    const UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid())
        ::fsync(folder.Get());
}

bool ReplaceThroughTemporary(int fd, const std::string& temporaryPath, const std::string& path,
                             const struct stat* old, std::string_view content)
{
    UniqueFd file(fd);
    bool ok = WriteAll(file.Get(), content) && (old == nullptr || TakeOverAttributes(file.Get(), *old)) &&
              ::fsync(file.Get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temporaryPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporaryPath.c_str());
        return false;
    }
    SyncFolder(path);
    return true;
}

// Not atomic, but the space is reserved first, so a full disk stops the write
// before any byte of the old file is overwritten.
bool RewriteInPlace(const std::string& path, std::string_view content)
{
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    struct stat status {};
    if (!file.Valid() || ::fstat(file.Get(), &status) != 0)
        return false;
    const auto oldSize = static_cast<std::size_t>(status.st_size);
    if (content.size() > oldSize) {
        const int error = ::posix_fallocate(file.Get(), static_cast<off_t>(oldSize),
                                            static_cast<off_t>(content.size() - oldSize));
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
            return false;
    }
    bool ok = WriteAll(file.Get(), content) &&
              ::ftruncate(file.Get(), static_cast<off_t>(content.size())) == 0 &&
              ::fsync(file.Get()) == 0;
    return file.Close() && ok;
}

} // namespace

FileRead ReadFileBytes(const std::string& path, std::string& content)
{
    content.clear();
    // Non-blocking, so that a pipe by this name cannot stop the program.
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.Valid())
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::size_t>(status.st_size) > kMaxSettingsFileSize)
        return FileRead::Failed;
    if (!ReadAll(file.Get(), content)) {
        content.clear();
        return FileRead::Failed;
    }
    return FileRead::Ok;
}

std::string ResolveLinks(const std::string& path)
{
    std::filesystem::path current(path);
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

bool ReplaceFileBytes(const std::string& path, std::string_view content)
{
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return false;
    // A file its owner made read-only stays as it is, even where the folder would allow a rename.
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    std::string temporaryPath;
    const int fd = CreateTemporary(path, temporaryPath);
    if (fd < 0)
        return exists && RewriteInPlace(path, content);
    return ReplaceThroughTemporary(fd, temporaryPath, path, exists ? &old : nullptr, content);
}
