#include "tools/logger/LoggerRecord.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

#include "link/RecordAssembler.h"
#include "link/RecordRow.h"
#include "link/Tty.h"
#include "log/LogClock.h"
#include "settings/UniqueFd.h"
#include "stability/StabilityAnalysis.h"
#include "stability/StabilityEngine.h"
#include "tools/logger/LoggerPort.h"
#include "tools/logger/RowOutput.h"
#include "tools/logger/StatusLine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStatusInterval{250};

// Each accepted record: a row into the output, a sample for the statistics.
class RecordingSink : public RecordSink {
public:
    RecordingSink(RowOutput& output, std::optional<LogCapacitors> capacitors, double confidence)
        : output_(output), capacitors_(capacitors), live_(StabilityEngine::Options{.confidence = confidence})
    {
    }

    void OnRecord(const char* record) override
    {
        if (failed_)
            return;
        const LogRow row = RowFromRecord(record, clock_.Now(), capacitors_);
        failed_ = !output_.Append(row);
        if (failed_)
            return;  // the summary counts only rows that are in the output
        live_.Add(SampleOf(row));
    }

    // A write failed; a write given up because the user asked to end is no failure.
    bool Failed() const { return failed_ && !output_.Interrupted(); }
    uint64_t Count() const { return live_.Count(); }
    LiveStats Live() const { return live_.Live(); }
    StabilitySummary Summary() const { return live_.Summary(); }

private:
    RowOutput& output_;
    const std::optional<LogCapacitors> capacitors_;
    LogClock clock_;
    StabilityEngine live_;  // the status line's figures and the summary at the end
    bool failed_ = false;
};

// SIGINT and SIGTERM arrive as a readable descriptor instead of interrupting.
UniqueFd TakeEndSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file size limit the write fails and the log says so, instead of a silent end.
    std::signal(SIGXFSZ, SIG_IGN);
    return UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC));
}

class StatusDisplay {
public:
    StatusDisplay() : enabled_(::isatty(STDERR_FILENO) == 1) {}

    void Draw(const RecordingSink& sink, uint64_t seen, Clock::time_point now)
    {
        if (!enabled_ || seen == drawn_ || now < next_)
            return;
        // The width is asked at each redraw, so a resized terminal is followed.
        const std::string text = FitToColumns(StatusText(sink.Live()), TerminalColumns(STDERR_FILENO));
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        std::fflush(stderr);
        drawn_ = seen;
        next_ = now + kStatusInterval;
    }
    // Until the next redraw is due while readings wait to be shown; else none.
    std::optional<Clock::time_point> Due(uint64_t seen) const
    {
        if (!enabled_ || seen == drawn_)
            return std::nullopt;
        return next_;
    }
    void Clear() const
    {
        if (enabled_ && drawn_ != 0)
            std::fputs("\r\033[K", stderr);
    }

private:
    bool enabled_;
    uint64_t drawn_ = 0;
    Clock::time_point next_{};
};

int PollTimeout(std::optional<Clock::time_point> status, std::optional<Clock::time_point> deadline)
{
    std::optional<Clock::time_point> wake = status;
    if (deadline && (!wake || *deadline < *wake))
        wake = deadline;
    if (!wake)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wake - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, wait.count()));
}

// Feeds what the port has; false when it is gone.
bool DrainPort(int portFd, RecordAssembler& assembler)
{
    uint8_t buffer[4096];
    for (;;) {
        const long count = tty::ReadSome(portFd, buffer, sizeof buffer);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        for (long i = 0; i < count; ++i)
            assembler.FeedByte(buffer[i]);
    }
}

enum class Ending { Asked, PortGone, WriteFailed };

Ending Pump(int portFd, int signalFd, const std::optional<double>& durationS, RecordingSink& sink)
{
    RecordAssembler assembler(sink);
    StatusDisplay status;
    std::optional<Clock::time_point> deadline;
    if (durationS)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*durationS));
    for (;;) {
        pollfd fds[2] = {{portFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, PollTimeout(status.Due(sink.Count()), deadline));
        if (ready < 0 && errno != EINTR)
            return Ending::PortGone;
        if ((fds[0].revents != 0 && !DrainPort(portFd, assembler)) || (fds[0].revents & POLLHUP))
            return sink.Failed() ? Ending::WriteFailed : Ending::PortGone;
        if (sink.Failed())
            return Ending::WriteFailed;
        const auto now = Clock::now();
        if (fds[1].revents != 0 || (deadline && now >= *deadline)) {
            status.Clear();
            return Ending::Asked;
        }
        status.Draw(sink, sink.Count(), now);
    }
}

std::optional<LogCapacitors> CapacitorsOf(const LoggerOptions& options)
{
    if (!options.c1 || !options.c2)
        return std::nullopt;
    return LogCapacitors{*options.c1, *options.c2};
}

int Finish(Ending ending, RowOutput& output, const RecordingSink& sink)
{
    const bool closed = output.Close();
    if (ending == Ending::PortGone)
        std::fputs("pelmora-log: the port went away\n", stderr);
    if (!closed || ending == Ending::WriteFailed)
        std::fprintf(stderr, "pelmora-log: %s\n", output.Error().c_str());
    const std::string summary = SummaryText(sink.Summary());
    std::fputs(summary.c_str(), output.ToStandardOutput() ? stderr : stdout);
    if (!closed || ending == Ending::WriteFailed)
        return kExitLogWrite;
    return ending == Ending::PortGone ? kExitPortLost : kExitDone;
}

}  // namespace

int RunRecording(const LoggerOptions& options)
{
    const UniqueFd signals = TakeEndSignals();
    const std::string iniPath = WindowSettingsFile();
    const std::string device = ResolvePort(options.port, iniPath);
    LoggerPort port;
    std::string error;
    if (device.empty())
        error = "cannot open " + options.port + ": no device is mapped to it";
    if (!error.empty() || !port.Open(device, options.baud.value_or(WindowBaudRate(iniPath)), error)) {
        std::fprintf(stderr, "pelmora-log: %s\n", error.c_str());
        return kExitPort;
    }
    RowOutput output;
    if (!output.Open(options.csv, signals.Get())) {
        std::fprintf(stderr, "pelmora-log: %s\n", output.Error().c_str());
        return kExitLogWrite;
    }
    RecordingSink sink(output, CapacitorsOf(options), options.confidence);
    return Finish(Pump(port.Descriptor(), signals.Get(), options.durationS, sink), output, sink);
}
