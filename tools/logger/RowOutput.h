#pragma once

#include <string>
#include <string_view>

#include "log/LogFile.h"

// Where pelmora-log puts its rows: a log file (LogFile: appended, whole rows, fsync at
// the end) or standard output ("-", header first, the rows as they come).
class RowOutput {
public:
    // False with Error() set when the file cannot be opened.
    bool Open(const std::string& csv);
    bool Append(const LogRow& row);
    // Syncs and closes a file. False when any write failed.
    bool Close();

    bool ToStandardOutput() const { return standardOutput_; }
    const std::string& Error() const { return standardOutput_ ? error_ : file_.Error(); }

private:
    bool WriteStandardOutput(std::string_view bytes);

    LogFile file_;
    bool standardOutput_ = false;
    std::string error_;
    std::string line_;
};
