#pragma once

#include "log/LogRow.h"
#include "system/SysResult.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What a read met besides the rows it handed out.
struct LogReadCounts {
    uint64_t rows = 0;                // rows handed to the handler
    uint64_t headers = 0;             // header lines (one per file appended with its own header)
    uint64_t malformed = 0;           // records skipped: field count, a value, quoting, length
    uint64_t firstMalformedLine = 0;  // 1-based line of the first skipped record; 0 when none
};

// Reads log text (LogRow.h) back, in pieces of any size. Records are RFC 4180: fields
// may be quoted, a quoted field may hold commas, doubled quotes and line breaks; lines
// end in CRLF or LF, the last one may lack its end. A header line is recognised
// wherever it stands; blank lines are passed over. A record that does not hold a row is
// counted and skipped, and reading goes on at the next line: a stray opening quote
// costs one line, never the rest of the file. Several runs appended to one file
// (t_s starting again at 0) come out as they stand; telling them apart is the
// analysis's work.
class CsvLogReader {
public:
    using RowHandler = std::function<void(const LogRow&)>;

    explicit CsvLogReader(RowHandler onRow);

    // Any piece of the text; a record split across pieces waits for the rest.
    void Feed(std::string_view bytes);
    // End of the text: a last record without a line end is taken as it is.
    void Finish();

    const LogReadCounts& Counts() const { return counts_; }

private:
    size_t ScanPending(bool atEnd);
    size_t SkipToNextLine(size_t from);
    void TakeRecord(size_t fieldCount, bool broken, uint64_t line);
    void CountMalformed(uint64_t line);

    RowHandler onRow_;
    std::string pending_;
    std::vector<std::string> fields_;
    LogReadCounts counts_;
    uint64_t line_ = 1;          // line number of pending_[0]
    bool skippingLine_ = false;  // an overlong line is being passed over up to its end
};

// The rows of a whole text; counts (when given) tell what else was met.
std::vector<LogRow> ParseLogText(std::string_view text, LogReadCounts* counts = nullptr);

// Reads the file at path in pieces, handing each row to onRow. The error of the call
// that failed when the file cannot be opened or read (LogReadFailureText words it); the
// rows before a read error have been handed out.
SysStatus ReadLogFile(const std::string& path, const CsvLogReader::RowHandler& onRow, LogReadCounts& counts);
