#include "tools/logger/LoggerRecord.h"

#include <QCoreApplication>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/session/CounterSession.h"
#include "link/sinks/LogSink.h"
#include "link/port/OpenFailureText.h"
#include "link/sinks/RecordLog.h"
#include "log/LogFailure.h"
#include "log/LogWriter.h"
#include "settings/AppSettings.h"
#include "system/EndSignalPipe.h"
#include "system/FileCalls.h"
#include "system/TerminalFacts.h"
#include "system/UniqueFd.h"
#include "share/SharePlace.h"
#include "share/ShareSink.h"
#include "stability/FrequencySample.h"
#include "stability/StabilityAnalysis.h"
#include "stability/StabilityEngine.h"
#include "tools/logger/AttachSource.h"
#include "tools/logger/LoggerLoop.h"
#include "tools/logger/StatusLine.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStatusInterval{250};

// SIGINT, SIGTERM and SIGHUP arrive as a readable descriptor instead of interrupting.
UniqueFd TakeEndSignals()
{
    UniqueFd endSignals = EndSignalsAsDescriptor();
    // Past a file size limit the write fails and the log says so, instead of a silent end.
    IgnoreWriteSignals();
    return endSignals;
}

// The window's words for why the port did not open, from its English translation.
std::string OpenFailureInEnglish(const OpenFailure& failure)
{
    int argc = 1;
    char name[] = "pelmora-log";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QTranslator english;
    if (english.load(QStringLiteral(":/i18n/pelmora_en.qm")))
        QCoreApplication::installTranslator(&english);
    return DescribeOpenFailure(failure);
}

// The live status line on a terminal, and the lines said between its redraws.
class StatusDisplay {
public:
    StatusDisplay() : enabled_(IsTerminal(kStandardError)) {}

    // Redraws when new readings wait and the last redraw is long enough ago;
    // returns when a waiting redraw is due.
    std::optional<Clock::time_point> Draw(const StabilityEngine& live, Clock::time_point now)
    {
        if (!enabled_ || live.Count() == 0 || (shown_ && live.Count() == drawn_))
            return std::nullopt;
        if (now < next_)
            return next_;
        // The width is asked at each redraw, so a resized terminal is followed.
        const std::string text = FitToColumns(StatusText(live.Live()), TerminalColumns(kStandardError));
        std::fprintf(stderr, "\r\033[K%s", text.c_str());
        std::fflush(stderr);
        drawn_ = live.Count();
        shown_ = true;
        next_ = now + kStatusInterval;
        return std::nullopt;
    }

    void Say(const std::string& line)
    {
        Clear();
        std::fprintf(stderr, "pelmora-log: %s\n", line.c_str());
    }

    void Clear()
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;  // the line stands on the terminal now
    uint64_t drawn_ = 0;
    Clock::time_point next_{};
};

enum class Ending { Asked, PortGone, StreamBroken, GaveUp, WriteFailed };

// What the session tells pelmora-log, and how the run ends.
class Recording : public SessionSink {
public:
    // session: null while attached to another program's stream.
    Recording(const LoggerOptions& options, LoggerLoop& loop, const CounterSession* session,
              StatusDisplay& status)
        : options_(options), loop_(loop), session_(session), status_(status)
    {
    }

    void OnEvent(SessionEvent event) override
    {
        switch (event) {
        case SessionEvent::NoData:
            status_.Say("no reading for 5 s");
            break;
        case SessionEvent::PortLost:
            if (!session_)
                status_.Say("the serving program lost the port: waiting for it to come back");
            else if (options_.exitOnHangup || !session_->FollowsAdapter())
                EndWith(Ending::PortGone);
            else
                status_.Say("the port went away: waiting for " + options_.port + " to come back");
            break;
        case SessionEvent::PortBack:
            status_.Say(options_.port + " is back");
            break;
        case SessionEvent::End:
            if (!session_) {
                EndWith(Ending::Asked);
            } else if (session_->EndedBy().Why != OpenRefusal::None) {
                gaveUp_ = session_->EndedBy();
                EndWith(Ending::GaveUp);
            }
            break;
        }
    }

    // The first reason to end is the one reported.
    void EndWith(Ending ending)
    {
        if (!ending_)
            ending_ = ending;
        loop_.Quit();
    }

    Ending Result() const { return ending_.value_or(Ending::Asked); }
    const OpenFailure& GaveUpBecause() const { return gaveUp_; }

private:
    const LoggerOptions& options_;
    LoggerLoop& loop_;
    const CounterSession* session_;
    StatusDisplay& status_;
    std::optional<Ending> ending_;
    OpenFailure gaveUp_;
};

std::string ShareNoticeText(ShareNotice notice, const std::string& detail)
{
    switch (notice) {
    case ShareNotice::Clash:
        return "the readings are not shared: another program serves " + detail;
    case ShareNotice::TcpRefused:
        return "the readings are not served on TCP: " + detail;
    case ShareNotice::FolderRefused:
    case ShareNotice::SocketFailed:
        break;
    }
    return "the readings are not shared: " + detail;
}

ShareOptions ShareOptionsOf(const LoggerOptions& options, const std::string& iniPath)
{
    const ShareSettings settings = ReadShareSettings(iniPath);
    return {settings.Enabled, options.serveTcp.value_or(settings.TcpPort), {}};
}

std::optional<SessionEvent> SessionEventOf(std::string_view event)
{
    if (event == "no_data")
        return SessionEvent::NoData;
    if (event == "port_lost")
        return SessionEvent::PortLost;
    if (event == "port_back")
        return SessionEvent::PortBack;
    if (event == "end")
        return SessionEvent::End;
    return std::nullopt;
}

// Reads the stream of the program that holds the port into the log's queue.
bool Attach(const LoggerOptions& options, const CounterSession& session, AttachSource& source,
            const std::shared_ptr<LogQueue>& queue, LoggerLoop& loop, Recording& recording, StatusDisplay& status)
{
    const PortChoice port = PortOf(options.port);
    const std::string socketPath =
        SocketPathFor(ShareFolder(), port.Number != 0 ? session.DevicePath(port.Number) : port.Path);
    std::string why;
    switch (source.Connect(socketPath, why)) {
    case ShareConnection::Reach::Connected:
        break;
    case ShareConnection::Reach::NobodyServes:
        std::fprintf(stderr, "pelmora-log: no program serves %s (%s)\n", options.port.c_str(), why.c_str());
        return false;
    case ShareConnection::Reach::Refused:
        std::fprintf(stderr, "pelmora-log: not attaching to %s: %s\n", options.port.c_str(), why.c_str());
        return false;
    }
    const auto onEvent = [&loop, &recording, &status](std::string_view event, uint64_t count) {
        const auto known = SessionEventOf(event);
        if (known)
            loop.Post([&recording, known] { recording.OnEvent(*known); });
        else if (event == AttachSource::kBrokenOff)
            loop.Post([&recording] { recording.EndWith(Ending::StreamBroken); });
        else if (event == "dropped")
            loop.Post([&status, count] {
                status.Say(std::to_string(count) + " readings were dropped: this log did not keep up");
            });
    };
    const SysStatus started = source.Start([queue](std::vector<LogRow>& rows) { queue->Push(rows); }, onEvent);
    if (!started)
        std::fprintf(stderr, "pelmora-log: cannot follow %s: %s\n", options.port.c_str(),
                     started.Error().Text().c_str());
    return started.Ok();
}

std::optional<LogCapacitors> CapacitorsOf(const LoggerOptions& options)
{
    if (!options.c1 || !options.c2)
        return std::nullopt;
    return LogCapacitors{*options.c1, *options.c2};
}

std::optional<Clock::time_point> Earliest(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b)
{
    if (!a || (b && *b < *a))
        return b;
    return a;
}

std::optional<Clock::time_point> DeadlineOf(const LoggerOptions& options)
{
    if (!options.durationS)
        return std::nullopt;
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*options.durationS));
}

void SayWhyItEnded(const Recording& recording, const std::string& port)
{
    switch (recording.Result()) {
    case Ending::PortGone:
        std::fputs("pelmora-log: the port went away\n", stderr);
        break;
    case Ending::StreamBroken:
        std::fprintf(stderr, "pelmora-log: the stream broke off: the program serving %s ended without letting go "
                             "of the port\n", port.c_str());
        break;
    case Ending::GaveUp:
        std::fprintf(stderr, "pelmora-log: %s\n", OpenFailureInEnglish(recording.GaveUpBecause()).c_str());
        break;
    case Ending::Asked:
    case Ending::WriteFailed:
        break;
    }
}

int Finish(const Recording& recording, const LoggerOptions& options, bool written, const LogWriter& writer,
           uint64_t dropped, StabilityEngine& live)
{
    SayWhyItEnded(recording, options.port);
    if (!written)
        std::fprintf(stderr, "pelmora-log: %s\n", LogFailureText(writer.Path(), writer.Failure()).c_str());
    if (dropped != 0)
        std::fprintf(stderr, "pelmora-log: %llu readings were not logged: the output did not keep up\n",
                     static_cast<unsigned long long>(dropped));
    if (writer.NotWritten() != 0)
        std::fprintf(stderr, "pelmora-log: %llu readings not written: standard output took nothing more\n",
                     static_cast<unsigned long long>(writer.NotWritten()));
    live.Finish();  // the log ends here: its last delivery is whole
    const std::string summary = SummaryText(live.Summary());
    std::fputs(summary.c_str(), options.csv == "-" ? stderr : stdout);
    const Ending ending = recording.Result();
    if (!written || writer.NotWritten() != 0)
        return kExitLogWrite;
    if (ending == Ending::GaveUp)
        return kExitPort;
    return ending == Ending::PortGone || ending == Ending::StreamBroken ? kExitPortLost : kExitDone;
}

}  // namespace

int RunRecording(const LoggerOptions& options)
{
    const UniqueFd endSignals = TakeEndSignals();
    const std::string iniPath = WindowSettingsFile();
    auto wake = WakeEvent::Create();
    if (!wake) {
        std::fprintf(stderr, "pelmora-log: eventfd: %s\n", wake.Error().Text().c_str());
        return kExitPort;
    }
    LoggerLoop loop(endSignals.Get(), std::move(wake).Value());
    StatusDisplay status;
    // Fed on this thread with the rows that reached the output, so the summary is that of the log.
    StabilityEngine live(StabilityEngine::Options{.confidence = options.confidence});
    const auto queue = std::make_shared<LogQueue>();
    const auto capacitors = [capacitors = CapacitorsOf(options)] { return capacitors; };
    LogSink logSink(capacitors);
    CounterSession session(loop, iniPath);
    Recording recording(options, loop, options.attach ? nullptr : &session, status);
    ShareSink shareSink(
        session, ShareOptionsOf(options, iniPath),
        [&status](ShareNotice notice, const std::string& detail) { status.Say(ShareNoticeText(notice, detail)); },
        capacitors);
    AttachSource attached;
    if (options.attach) {
        if (!Attach(options, session, attached, queue, loop, recording, status))
            return kExitPort;
    } else {
        session.AddSink(logSink);
        session.AddSink(shareSink);
        session.AddSink(recording);
        logSink.Set(std::make_shared<RecordLog>(queue));
        const auto opened = session.Connect(PortOf(options.port), options.baud.value_or(WindowBaudRate(iniPath)));
        if (const auto* failure = std::get_if<OpenFailure>(&opened)) {
            std::fprintf(stderr, "pelmora-log: %s\n", OpenFailureInEnglish(*failure).c_str());
            return kExitPort;
        }
    }
    LogWriter writer(
        queue, [&](const std::string&) { loop.Post([&] { recording.EndWith(Ending::WriteFailed); }); },
        [&](std::span<const LogRow> rows) {
            std::vector<FrequencySample> samples;
            samples.reserve(rows.size());
            for (const LogRow& row : rows)
                samples.push_back(SampleOf(row));
            loop.Post([&live, samples = std::move(samples)] {
                for (const FrequencySample& sample : samples)
                    live.Add(sample);
            });
        });
    const bool toStandardOutput = options.csv == "-";
    if (!(toStandardOutput ? writer.StartStandardOutput(endSignals.Get()) : writer.Start(options.csv))) {
        std::fprintf(stderr, "pelmora-log: %s\n", LogFailureText(writer.Path(), writer.Failure()).c_str());
        return kExitLogWrite;
    }
    const auto deadline = DeadlineOf(options);
    loop.Run([&](Clock::time_point now) -> std::optional<Clock::time_point> {
        if (deadline && now >= *deadline) {
            recording.EndWith(Ending::Asked);
            return std::nullopt;
        }
        return Earliest(status.Draw(live, now), deadline);
    });
    status.Clear();
    session.Stop();
    attached.Stop();
    const bool written = writer.Stop();
    loop.RunPending();
    return Finish(recording, options, written, writer, queue->Dropped(), live);
}
