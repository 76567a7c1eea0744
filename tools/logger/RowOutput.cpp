#include "tools/logger/RowOutput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool RowOutput::Open(const std::string& csv)
{
    standardOutput_ = csv == "-";
    if (!standardOutput_)
        return file_.Open(csv);
    return WriteStandardOutput(LogHeaderLine());
}

bool RowOutput::Append(const LogRow& row)
{
    if (!standardOutput_)
        return file_.Append(row);
    line_.clear();
    AppendLogRow(line_, row);
    return WriteStandardOutput(line_);
}

bool RowOutput::Close()
{
    if (!standardOutput_)
        return file_.Close();
    return error_.empty();
}

bool RowOutput::WriteStandardOutput(std::string_view bytes)
{
    while (error_.empty() && !bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            error_ = std::string("Logging stopped: standard output: ") + std::strerror(errno);
        else
            bytes.remove_prefix(static_cast<size_t>(written));
    }
    return error_.empty();
}
