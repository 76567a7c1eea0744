#include "log/CsvLogReader.h"

#include <algorithm>
#include <array>

#include "system/FileCalls.h"

namespace {

// Our longest row is about 110 bytes; a record this long is damage, not data.
constexpr size_t kMaxRecordBytes = 512;
// A quoted field of at most three characters holds at most three line breaks.
constexpr uint64_t kMaxQuotedLineBreaks = 3;
constexpr size_t kReadPieceBytes = 1 << 20;

constexpr std::array<std::string_view, kLogColumnCount> kHeaderNames = {
    "utc", "t_s", "frequency_hz", "prescaler", "gate_s", "inductance_uh"};

enum class ScanEnd { Record, Resync, NeedMore };

struct Scan {
    ScanEnd end = ScanEnd::NeedMore;
    size_t next = 0;          // first byte after the record
    uint64_t lineBreaks = 0;  // line ends inside and at the end of the record
    size_t fieldCount = 0;
    bool broken = false;  // the record ended where it should but is not valid CSV
};

struct ScanState {
    std::string_view text;
    size_t start = 0;
    size_t at = 0;
    bool atEnd = false;
    Scan scan;
};

enum class FieldEnd { Comma, LineEnd, Stopped };

FieldEnd StopField(ScanState& s, ScanEnd end)
{
    s.scan.end = end;
    return FieldEnd::Stopped;
}

bool TooLong(const ScanState& s)
{
    return s.at - s.start > kMaxRecordBytes;
}

bool Stop(ScanState& s, ScanEnd end)
{
    s.scan.end = end;
    return false;
}

// From just after the opening quote to just after the closing one. False when the scan
// stopped: the text ends first (more may come) or the quote never closes (resync).
bool ScanQuoted(ScanState& s, std::string* field)
{
    while (true) {
        if (TooLong(s) || (s.at >= s.text.size() && s.atEnd))
            return Stop(s, ScanEnd::Resync);
        if (s.at >= s.text.size() || (s.at + 1 >= s.text.size() && !s.atEnd))
            return Stop(s, ScanEnd::NeedMore);
        const char c = s.text[s.at];
        if (c == '"') {
            const bool doubled = s.at + 1 < s.text.size() && s.text[s.at + 1] == '"';
            s.at += doubled ? 2 : 1;
            if (!doubled)
                return true;
        } else {
            if (c == '\n' && ++s.scan.lineBreaks > kMaxQuotedLineBreaks)
                return Stop(s, ScanEnd::Resync);
            ++s.at;
        }
        if (field != nullptr)
            *field += c;
    }
}

// Up to the comma or line end that closes the field. After a closing quote nothing else
// may stand there; a quote or a lone CR in an unquoted field breaks the record.
FieldEnd ScanUnquoted(ScanState& s, std::string* field, bool afterQuote)
{
    while (true) {
        if (TooLong(s))
            return StopField(s, ScanEnd::Resync);
        if (s.at >= s.text.size())
            return s.atEnd ? FieldEnd::LineEnd : StopField(s, ScanEnd::NeedMore);
        const char c = s.text[s.at];
        if (c == ',' || c == '\n') {
            ++s.at;
            s.scan.lineBreaks += c == '\n' ? 1 : 0;
            return c == ',' ? FieldEnd::Comma : FieldEnd::LineEnd;
        }
        if (c == '\r') {
            const bool last = s.at + 1 >= s.text.size();
            if (last && !s.atEnd)
                return StopField(s, ScanEnd::NeedMore);
            if (last || s.text[s.at + 1] == '\n') {
                s.at = std::min(s.at + 2, s.text.size());
                ++s.scan.lineBreaks;
                return FieldEnd::LineEnd;
            }
        }
        if (afterQuote || c == '"' || c == '\r')
            s.scan.broken = true;
        else if (field != nullptr)
            *field += c;
        ++s.at;
    }
}

// One record from start; fields beyond fields.size() are counted, not kept.
Scan ScanRecord(std::string_view text, size_t start, bool atEnd, std::vector<std::string>& fields)
{
    ScanState s{text, start, start, atEnd, {}};
    for (std::string& field : fields)
        field.clear();
    while (true) {
        std::string* field =
            s.scan.fieldCount < fields.size() ? &fields[s.scan.fieldCount] : nullptr;
        ++s.scan.fieldCount;
        const bool quoted = s.at < text.size() && text[s.at] == '"';
        if (quoted && (++s.at, !ScanQuoted(s, field)))
            return s.scan;
        const FieldEnd end = ScanUnquoted(s, field, quoted);
        if (end == FieldEnd::Stopped)
            return s.scan;
        if (end == FieldEnd::LineEnd) {
            s.scan.end = ScanEnd::Record;
            s.scan.next = s.at;
            return s.scan;
        }
    }
}

bool IsHeader(const std::vector<std::string>& fields)
{
    return std::equal(kHeaderNames.begin(), kHeaderNames.end(), fields.begin());
}

}  // namespace

CsvLogReader::CsvLogReader(RowHandler onRow) : onRow_(std::move(onRow)), fields_(kLogColumnCount)
{}

void CsvLogReader::Feed(std::string_view bytes)
{
    pending_.append(bytes);
    pending_.erase(0, ScanPending(false));
}

void CsvLogReader::Finish()
{
    ScanPending(true);
    pending_.clear();
    skippingLine_ = false;
}

size_t CsvLogReader::ScanPending(bool atEnd)
{
    size_t at = skippingLine_ ? SkipToNextLine(0) : 0;
    while (at < pending_.size()) {
        const Scan scan = ScanRecord(pending_, at, atEnd, fields_);
        if (scan.end == ScanEnd::NeedMore)
            break;
        if (scan.end == ScanEnd::Resync) {
            CountMalformed(line_);
            at = SkipToNextLine(at);
            continue;
        }
        const uint64_t line = line_;
        line_ += scan.lineBreaks;
        at = scan.next;
        TakeRecord(scan.fieldCount, scan.broken, line);
    }
    return at;
}

// Past the end of the line holding pending_[from]; to the end of pending_ (and on
// skipping in the next piece) when that line has not ended yet.
size_t CsvLogReader::SkipToNextLine(size_t from)
{
    const size_t lineEnd = pending_.find('\n', from);
    skippingLine_ = lineEnd == std::string::npos;
    if (skippingLine_)
        return pending_.size();
    ++line_;
    return lineEnd + 1;
}

void CsvLogReader::TakeRecord(size_t fieldCount, bool broken, uint64_t line)
{
    if (fieldCount == 1 && !broken && fields_[0].empty())
        return;  // a blank line
    if (broken || fieldCount != kLogColumnCount) {
        CountMalformed(line);
        return;
    }
    if (IsHeader(fields_)) {
        ++counts_.headers;
        return;
    }
    const std::optional<LogRow> row = ParseLogFields(fields_);
    if (!row) {
        CountMalformed(line);
        return;
    }
    ++counts_.rows;
    onRow_(*row);
}

void CsvLogReader::CountMalformed(uint64_t line)
{
    if (counts_.malformed++ == 0)
        counts_.firstMalformedLine = line;
}

std::vector<LogRow> ParseLogText(std::string_view text, LogReadCounts* counts)
{
    std::vector<LogRow> rows;
    CsvLogReader reader([&rows](const LogRow& row) { rows.push_back(row); });
    reader.Feed(text);
    reader.Finish();
    if (counts != nullptr)
        *counts = reader.Counts();
    return rows;
}

SysStatus ReadLogFile(const std::string& path, const CsvLogReader::RowHandler& onRow, LogReadCounts& counts)
{
    counts = {};
    const SysResult<UniqueFd> file = OpenToRead(path);
    if (!file)
        return file.Error();
    CsvLogReader reader(onRow);
    std::string piece(kReadPieceBytes, '\0');
    SysResult<size_t> got(size_t{0});
    while ((got = ReadSome(file.Value().Get(), piece)) && got.Value() != 0)
        reader.Feed(std::string_view(piece.data(), got.Value()));
    reader.Finish();
    counts = reader.Counts();
    if (!got)
        return got.Error();
    return Done{};
}
