#include "log/LogFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>
#include <vector>

#include "system/DescriptorWait.h"

namespace {

bool IsLoggable(const FileFacts& facts)
{
    return facts.kind == FileKind::Regular || facts.kind == FileKind::CharacterDevice;
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
    const SysResult<FileFacts> facts = FactsOf(fd_.Get());
    if (!facts)
        return Fail(facts.Error());
    return HeadAt(facts.Value());
}

bool LogFile::HeadAt(const FileFacts& facts)
{
    if (!IsLoggable(facts))
        return Fail(LogFailure::Cause::NotRegularFile);
    device_ = facts.device;
    inode_ = facts.inode;
    started_ = WriteWhole(facts.size == 0 ? LogHeaderLine() : LineEndNeeded());
    return started_;
}

bool LogFile::OpenStandardOutput(int giveUp)
{
    Reset("standard output");
    standardOutput_ = true;
    giveUp_ = giveUp;
    readable_ = false;
    SysResult<UniqueFd> output = DuplicateStandardOutput();
    if (!output)
        return Fail(output.Error());
    fd_ = std::move(output).Value();
    started_ = WriteWhole(LogHeaderLine()) || interrupted_;
    return started_;
}

// Read-write when allowed, only to look at the last byte; write-only otherwise.
bool LogFile::OpenDescriptor()
{
    SysResult<UniqueFd> opened = OpenToAppend(path_, Access::ReadWrite);
    readable_ = opened.Ok();
    if (!opened && opened.Error().Code == EACCES)
        opened = OpenToAppend(path_, Access::WriteOnly);
    if (!opened)
        return Fail(opened.Error());
    fd_ = std::move(opened).Value();
    return true;
}

// What ends a line a crash cut off: nothing when the file ends in LF (or cannot be read).
std::string_view LogFile::LineEndNeeded() const
{
    if (!readable_)
        return "";
    const SysResult<FileFacts> facts = FactsOf(fd_.Get());
    if (!facts || facts.Value().size == 0)
        return "";
    std::array<char, 1> last{};
    const SysResult<size_t> got = ReadSomeAt(fd_.Get(), last, facts.Value().size - 1);
    if (!got || got.Value() != 1)
        return "";
    return last[0] == '\n' ? "" : last[0] == '\r' ? "\n" : "\r\n";
}

bool LogFile::Append(const LogRow& row)
{
    return Append(std::span<const LogRow>(&row, 1));
}

bool LogFile::Append(std::span<const LogRow> rows)
{
    if (interrupted_)
        return false;
    if (!fd_.Valid())
        return Failed() ? false : Fail(SysError{EBADF});
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
    if (!fd_.Valid())
        return !Failed();
    // A character device (a test's /dev/full) cannot be synced; that is no failure.
    const SysStatus synced = SyncFile(fd_.Get());
    if (!synced && synced.Error().Code != EINVAL && synced.Error().Code != EROFS)
        return Fail(synced.Error());
    return true;
}

bool LogFile::Close()
{
    if (!fd_.Valid())
        return !Failed();
    if (Sync() && !standardOutput_)
        StillAtPath();
    if (const SysStatus closed = CloseFile(fd_); !closed)
        Fail(closed.Error());
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
        const size_t size = standardOutput_ ? PieceEnd(written, bytes.size(), rowEnds) - written
                                            : bytes.size() - written;
        const SysResult<size_t> count = WriteSome(fd_.Get(), bytes.substr(written, size));
        if (count) {
            written += count.Value();
            continue;
        }
        const size_t whole = wholeRows(written);
        const size_t kept = whole == 0 ? 0 : rowEnds[whole - 1];
        rowsWritten_ += whole;
        return Fail(LogFailure::Cause::System, count.Error(), !CutBack(written - kept));
    }
    return true;
}

// A pipe that polls writable takes PIPE_BUF bytes at once without blocking: pieces of
// whole rows up to that size leave the output on a row's end whenever the run gives up
// on it (a single longer row goes in pieces of its own).
size_t LogFile::PieceEnd(size_t written, size_t total, std::span<const size_t> rowEnds)
{
    const size_t limit = std::min(total, written + kPipeWriteBytes);
    const auto past = std::upper_bound(rowEnds.begin(), rowEnds.end(), limit);
    if (past != rowEnds.begin() && *(past - 1) > written)
        return *(past - 1);
    return limit;
}

// A blocking write would hold the run past the user's Ctrl+C: poll waits for either.
bool LogFile::WaitForOutput() const
{
    std::array<Watched, 2> watched{{{.fd = fd_.Get(), .write = true}, {.fd = giveUp_, .read = true}}};
    SysResult<int> ready(0);
    while (!(ready = WaitForDescriptors(watched, -1)))
        if (ready.Error().Code != EINTR)
            return true;  // the write itself says what is wrong
    return !watched[1].stirred || watched[0].stirred;
}

// With O_APPEND the offset stands just after what this row got onto the file.
bool LogFile::CutBack(size_t written)
{
    if (written == 0)
        return true;
    const SysResult<uint64_t> end = CurrentOffset(fd_.Get());
    return end && end.Value() >= written && TruncateFile(fd_.Get(), end.Value() - written).Ok();
}

// The path still names the open file: neither removed nor renamed nor replaced.
bool LogFile::StillAtPath()
{
    const SysResult<FileFacts> named = FactsAt(path_);
    const int error = named.Error().Code;
    if (!named && error != ENOENT && error != ENOTDIR)
        return Fail(named.Error());
    if (!named || named.Value().inode == 0 || named.Value().device != device_ || named.Value().inode != inode_)
        return Fail(LogFailure::Cause::RemovedOrRenamed);
    return true;
}

bool LogFile::Abandon(const SysError& error)
{
    started_ = false;
    return Fail(error);
}

bool LogFile::Fail(const SysError& error)
{
    return Fail(LogFailure::Cause::System, error);
}

// Keeps the first cause: later failures only follow from it.
bool LogFile::Fail(LogFailure::Cause cause, SysError error, bool lastRowCutShort)
{
    if (!Failed())
        failure_ = {cause, error, started_, lastRowCutShort};
    fd_.Reset();
    return false;
}
