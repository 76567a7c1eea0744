#pragma once

#include "log/LogFile.h"
#include "log/LogQueue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>

// Appends the rows of a LogQueue to a LogFile on a thread of its own. The queue is
// shared: whoever pushes may outlive the writer (a receive thread abandoned at its
// stop limit) and push into a closed queue, which ignores the rows.
//
// A failed write closes the queue, ends the thread and reports the file's one message
// (LogFailureText) through onFailure, called on the writer's thread; nothing else is stopped. Standard
// output given up on (LogFile::Interrupted) ends the thread unreported and leaves the queue
// open: Stop counts the rows that never got out (NotWritten).
class LogWriter {
public:
    using OnFailure = std::function<void(const std::string& message)>;
    // Called on the writer's thread after each batch with the rows of it that are in
    // the output now, also those before a failure.
    using OnWritten = std::function<void(std::span<const LogRow> rows)>;
    // How long rows gather between two writes; the file is with the system at
    // least this often.
    static constexpr std::chrono::milliseconds kBatchInterval{250};

    LogWriter(std::shared_ptr<LogQueue> queue, OnFailure onFailure = {}, OnWritten onWritten = {});
    ~LogWriter();  // stops as Stop does
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Opens the log at path on the calling thread and starts the writer. False with
    // Failure() set when the file cannot be opened.
    bool Start(const std::string& path);
    // The same for standard output (LogFile::OpenStandardOutput).
    bool StartStandardOutput(int giveUp);
    // Closes the queue, writes the rows still in it, ends the thread, then fsyncs and
    // closes the file. True when every row reached the file.
    bool Stop();

    // Read once the writer reports a failure or has stopped.
    const LogFailure& Failure() const { return file_.Failure(); }
    const std::string& Path() const { return file_.Path(); }
    uint64_t RowsWritten() const { return file_.RowsWritten(); }
    // Read after Stop: the rows handed to the writer that standard output, given up on,
    // never took.
    uint64_t NotWritten() const { return notWritten_; }

private:
    bool StartThread(bool opened);
    void Run();
    void CountLeftBehind();

    std::shared_ptr<LogQueue> queue_;
    OnFailure onFailure_;
    OnWritten onWritten_;
    LogFile file_;  // the writer thread's while it runs
    uint64_t notWritten_ = 0;  // as file_
    std::thread thread_;
};
