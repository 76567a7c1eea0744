#pragma once

#include <string>
#include <string_view>

#include "log/LogFile.h"

// Where pelmora-log puts its rows: a log file (LogFile: appended, whole rows, fsync at
// the end) or standard output ("-", header first, the rows as they come).
class RowOutput {
public:
    // False with Error() set when the file cannot be opened. While standard output
    // takes nothing (a reader that stopped), the writes wait for it or for endRequest
    // to turn readable, and then give up (Interrupted()).
    bool Open(const std::string& csv, int endRequest = -1);
    bool Append(const LogRow& row);
    // Syncs and closes a file. False when any write failed.
    bool Close();

    bool ToStandardOutput() const { return standardOutput_; }
    bool Interrupted() const { return interrupted_; }
    const std::string& Error() const { return standardOutput_ ? error_ : file_.Error(); }

private:
    bool WriteStandardOutput(std::string_view bytes);
    bool WaitForStandardOutput();

    LogFile file_;
    int endRequest_ = -1;
    bool interrupted_ = false;
    bool standardOutput_ = false;
    std::string error_;
    std::string line_;
};
