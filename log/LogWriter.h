#pragma once

#include "log/LogFile.h"
#include "log/LogQueue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Appends the rows of a LogQueue to a LogFile on a thread of its own. The queue is
// shared: whoever pushes may outlive the writer (a receive thread abandoned at its
// stop limit) and push into a closed queue, which ignores the rows.
//
// A failed write closes the queue, ends the thread and reports the file's one message
// through onFailure, called on the writer's thread; nothing else is stopped.
class LogWriter {
public:
    using OnFailure = std::function<void(const std::string& message)>;
    // How long rows gather between two writes; the file is with the system at
    // least this often.
    static constexpr std::chrono::milliseconds kBatchInterval{250};

    LogWriter(std::shared_ptr<LogQueue> queue, OnFailure onFailure = {});
    ~LogWriter();  // stops as Stop does
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Opens the log at path on the calling thread and starts the writer. False with
    // Error() set when the file cannot be opened.
    bool Start(const std::string& path);
    // Closes the queue, writes the rows still in it, ends the thread, then fsyncs and
    // closes the file. True when every row reached the file.
    bool Stop();

    // Read once the writer reports a failure or has stopped.
    const std::string& Error() const { return file_.Error(); }
    const LogFailure& Failure() const { return file_.Failure(); }
    const std::string& Path() const { return file_.Path(); }
    uint64_t RowsWritten() const { return file_.RowsWritten(); }

private:
    void Run();

    std::shared_ptr<LogQueue> queue_;
    OnFailure onFailure_;
    LogFile file_;  // the writer thread's while it runs
    std::thread thread_;
};
