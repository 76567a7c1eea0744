#include "tools/logger/RowOutput.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

bool RowOutput::Open(const std::string& csv, int endRequest)
{
    endRequest_ = endRequest;
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

// A blocking write would hold the run past the user's Ctrl+C; poll waits for either.
bool RowOutput::WaitForStandardOutput()
{
    pollfd fds[2] = {{STDOUT_FILENO, POLLOUT, 0}, {endRequest_, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0)
        if (errno != EINTR)
            return true;  // the write itself reports what is wrong
    interrupted_ = fds[1].revents != 0 && fds[0].revents == 0;
    return !interrupted_;
}

bool RowOutput::WriteStandardOutput(std::string_view bytes)
{
    while (error_.empty() && !bytes.empty()) {
        if (!WaitForStandardOutput())
            return false;
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

