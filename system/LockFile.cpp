#include "system/LockFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FolderWritable(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

SysStatus CreateNewFile(const std::string& path, const std::string& contents)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return LastSysError();
    const ssize_t written = ::write(fd, contents.data(), contents.size());
    const SysError writeError = written < 0 ? LastSysError() : SysError{EIO};
    ::close(fd);
    if (written == static_cast<ssize_t>(contents.size()))
        return Done{};
    ::unlink(path.c_str());
    return writeError;
}

std::optional<std::chrono::system_clock::time_point> LastWritten(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
}
