#include "log/LogFile.h"

#include <algorithm>
#include <vector>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// O_NONBLOCK keeps a FIFO without a reader from hanging the open; it changes nothing
// for files.
constexpr int kOpenFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr mode_t kNewFileMode = 0644;

bool IsLoggable(const struct stat& status)
{
    return S_ISREG(status.st_mode) || S_ISCHR(status.st_mode);
}

}  // namespace

LogFile::~LogFile()
{
    Close();
}

void LogFile::Reset(const std::string& path)
{
    Close();
    path_ = path;
    failure_ = {};
    error_.clear();
    started_ = false;
    rowsWritten_ = 0;
    standardOutput_ = false;
    giveUp_ = -1;
    interrupted_ = false;
}

bool LogFile::Open(const std::string& path)
{
    Reset(path);
    if (!OpenDescriptor())
        return false;
    struct stat status {};
    if (::fstat(fd_, &status) != 0)
        return Fail(errno);
    if (!IsLoggable(status))
        return Fail(LogFailure::Cause::NotRegularFile);
    device_ = status.st_dev;
    inode_ = status.st_ino;
    started_ = WriteWhole(status.st_size == 0 ? LogHeaderLine() : LineEndNeeded());
    return started_;
}

bool LogFile::OpenStandardOutput(int giveUp)
{
    Reset("standard output");
    standardOutput_ = true;
    giveUp_ = giveUp;
    readable_ = false;
    fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd_ < 0)
        return Fail(errno);
    started_ = WriteWhole(LogHeaderLine()) || interrupted_;
    return started_;
}

// Read-write when allowed, only to look at the last byte; write-only otherwise.
bool LogFile::OpenDescriptor()
{
    fd_ = ::open(path_.c_str(), O_RDWR | kOpenFlags, kNewFileMode);
    readable_ = fd_ >= 0;
    if (fd_ < 0 && errno == EACCES)
        fd_ = ::open(path_.c_str(), O_WRONLY | kOpenFlags, kNewFileMode);
    return fd_ >= 0 || Fail(errno);
}

// What ends a line a crash cut off: nothing when the file ends in LF (or cannot be read).
std::string_view LogFile::LineEndNeeded() const
{
    char last = '\n';
    struct stat status {};
    if (!readable_ || ::fstat(fd_, &status) != 0 || status.st_size == 0 ||
        ::pread(fd_, &last, 1, status.st_size - 1) != 1)
        return "";
    return last == '\n' ? "" : last == '\r' ? "\n" : "\r\n";
}

bool LogFile::Append(const LogRow& row)
{
    return Append(std::span<const LogRow>(&row, 1));
}

bool LogFile::Append(std::span<const LogRow> rows)
{
    if (interrupted_)
        return false;
    if (fd_ < 0)
        return Failed() ? false : Fail(EBADF);
    if (!standardOutput_ && !StillAtPath())
        return false;
    try {
        std::string bytes;
        std::vector<size_t> rowEnds;
        rowEnds.reserve(rows.size());
        for (const LogRow& row : rows) {
            AppendLogRow(bytes, row);
            rowEnds.push_back(bytes.size());
        }
        if (!WriteWhole(bytes, rowEnds))
            return false;
    } catch (const std::bad_alloc&) {
        return Fail(LogFailure::Cause::OutOfMemory);
    }
    rowsWritten_ += rows.size();
    return true;
}

bool LogFile::Sync()
{
    if (fd_ < 0)
        return !Failed();
    // A character device (a test's /dev/full) cannot be synced; that is no failure.
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        return Fail(errno);
    return true;
}

bool LogFile::Close()
{
    if (fd_ < 0)
        return !Failed();
    if (Sync() && !standardOutput_)
        StillAtPath();
    if (fd_ >= 0 && ::close(fd_) != 0 && errno != EINTR)
        Fail(errno);
    fd_ = -1;
    return !Failed();
}

bool LogFile::WriteWhole(std::string_view bytes, std::span<const size_t> rowEnds)
{
    size_t written = 0;
    // The rows that got out whole when the writing stops after end bytes.
    const auto wholeRows = [rowEnds](size_t end) {
        return static_cast<size_t>(std::upper_bound(rowEnds.begin(), rowEnds.end(), end) - rowEnds.begin());
    };
    while (written < bytes.size()) {
        if (standardOutput_ && !WaitForOutput()) {
            interrupted_ = true;
            rowsWritten_ += wholeRows(written);
            return false;
        }
        // A pipe that polls writable takes PIPE_BUF bytes without blocking.
        const size_t size = standardOutput_ ? std::min<size_t>(bytes.size() - written, PIPE_BUF)
                                            : bytes.size() - written;
        const ssize_t count = ::write(fd_, bytes.data() + written, size);
        if (count > 0) {
            written += static_cast<size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // A write that takes nothing without an error would repeat for ever.
        const int error = count < 0 ? errno : EIO;
        const size_t whole = wholeRows(written);
        const size_t kept = whole == 0 ? 0 : rowEnds[whole - 1];
        rowsWritten_ += whole;
        return Fail(LogFailure::Cause::System, error, !CutBack(written - kept));
    }
    return true;
}

// A blocking write would hold the run past the user's Ctrl+C: poll waits for either.
bool LogFile::WaitForOutput() const
{
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {giveUp_, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0)
        if (errno != EINTR)
            return true;  // the write itself says what is wrong
    return fds[1].revents == 0 || fds[0].revents != 0;
}

// With O_APPEND the offset stands just after what this row got onto the file.
bool LogFile::CutBack(size_t written)
{
    if (written == 0)
        return true;
    const off_t end = ::lseek(fd_, 0, SEEK_CUR);
    const auto part = static_cast<off_t>(written);
    return end >= part && ::ftruncate(fd_, end - part) == 0;
}

// The path still names the open file: neither removed nor renamed nor replaced.
bool LogFile::StillAtPath()
{
    struct stat named {};
    if (::stat(path_.c_str(), &named) != 0 && errno != ENOENT && errno != ENOTDIR)
        return Fail(errno);
    if (named.st_ino == 0 || named.st_dev != device_ || named.st_ino != inode_)
        return Fail(LogFailure::Cause::RemovedOrRenamed);
    return true;
}

bool LogFile::Fail(int error)
{
    return Fail(LogFailure::Cause::System, error);
}

// Keeps the first cause: later failures only follow from it.
bool LogFile::Fail(LogFailure::Cause cause, int error, bool lastRowCutShort)
{
    if (!Failed()) {
        failure_ = {cause, error, started_, lastRowCutShort};
        error_ = LogFailureText(path_, failure_);
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    return false;
}
