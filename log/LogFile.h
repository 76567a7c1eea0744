#pragma once

#include "log/LogFailure.h"
#include "log/LogRow.h"
#include "system/FileCalls.h"
#include "system/UniqueFd.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Appends rows to one log file (through system/FileCalls.h); no Qt, never throws.
//
// Open never truncates: the file is opened with O_APPEND|O_CREAT (mode 0644 for a new
// file) and the header goes only into an empty file. When the file ends in the middle
// of a line (a crash cut it off) a line end is written first, so that line stays a
// single malformed record and the new rows are whole; this needs read access, without
// it the rows are appended as they come.
//
// Each row goes out with one write() call (a short write is continued), so every row is
// with the system as soon as Append returns; nothing is buffered in this process. Sync
// and Close fsync the file to the disk.
//
// Rows are written whole or not at all: when a write fails part-way (disk full, file
// size limit) the file is cut back with ftruncate to the end of its last whole row.
// Any error (ENOSPC, EFBIG, EIO, EBADF, permission, ...) puts the file in the failed
// state: it is closed, further Appends do nothing and return false, and Failure() says
// why (LogFailureText words it: "Logging stopped: <path>: No space left on device",
// "Logging could not start: ..." when Open failed).
//
// Before each batch the path is checked to still name the open file (device and
// inode): a log removed or renamed while it runs fails with "removed or renamed"
// instead of filling a file nobody can see. Close checks once more.
//
// Standard output takes the rows instead of a file when opened so: the header
// first, whatever it holds already, no path to check, in writes of whole rows of
// at most PIPE_BUF bytes. While it takes nothing (a reader that stopped), a write
// waits for it or for a give-up descriptor to turn readable, and then gives up
// (Interrupted(), which is no failure) with the output ending on a whole row.
class LogFile {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();  // closes as Close does

    // Closes any file open before and starts afresh on path. False when the file cannot
    // be opened, is not a regular file (or a character device), or the header fails.
    bool Open(const std::string& path);
    // The same for standard output, named "standard output" in messages; giveUp:
    // a descriptor whose readability ends a wait for the output (-1: none).
    bool OpenStandardOutput(int giveUp = -1);
    // One row, whole. False in the failed state or when this write fails.
    bool Append(const LogRow& row);
    // Rows, whole, in one write() call. On a failure part-way the file keeps the
    // rows that got onto it whole and is cut back to the end of the last of them.
    bool Append(std::span<const LogRow> rows);
    // fsync now; false (and failed) when the system reports an error.
    bool Sync();
    // fsync, check the path once more and close. False when the file failed, now or before.
    bool Close();
    // Closes the file as one that never started, for error (its writer could not run).
    bool Abandon(const SysError& error);

    bool IsOpen() const { return fd_.Valid(); }
    // Standard output took nothing until the give-up descriptor turned readable:
    // the rows from then on are not written, and that is no failure.
    bool Interrupted() const { return interrupted_; }
    bool Failed() const { return failure_.cause != LogFailure::Cause::None; }
    const LogFailure& Failure() const { return failure_; }
    const std::string& Path() const { return path_; }
    uint64_t RowsWritten() const { return rowsWritten_; }

private:
    void Reset(const std::string& path);
    bool OpenDescriptor();
    bool WaitForOutput() const;
    bool HeadAt(const FileFacts& facts);
    std::string_view LineEndNeeded() const;
    bool WriteWhole(std::string_view bytes, std::span<const size_t> rowEnds = {});
    static size_t PieceEnd(size_t written, size_t total, std::span<const size_t> rowEnds);
    bool CutBack(size_t written);
    bool StillAtPath();
    bool Fail(const SysError& error);
    bool Fail(LogFailure::Cause cause, SysError error = {}, bool lastRowCutShort = false);

    std::string path_;
    LogFailure failure_;
    UniqueFd fd_;
    bool readable_ = false;  // opened read-write, so the last byte can be checked
    bool started_ = false;   // Open succeeded
    uint64_t device_ = 0;    // what the path named when the file was opened
    uint64_t inode_ = 0;
    uint64_t rowsWritten_ = 0;
    bool standardOutput_ = false;
    int giveUp_ = -1;            // standard output: ends a wait for it when readable
    bool interrupted_ = false;
};
