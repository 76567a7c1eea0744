#include "link/port/UucpLock.h"
#include "log/CsvLogReader.h"
#include "share/SharePlace.h"
#include "stability/StabilityAnalysis.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tests/tools/LoggerProbes.h"
#include "tools/logger/StatusLine.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/RecordGenerator.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <csignal>
#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

struct Child {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
};

// pelmora-log with its standard output and error into files of folder; through
// launcher (a program that runs its arguments, such as nohup) when one is given.
Child StartLogger(const TempDir& folder, std::vector<std::string> arguments, const char* launcher = nullptr)
{
    Child child{-1, folder.File("stdout"), folder.File("stderr")};
    arguments.insert(arguments.begin(), PELMORA_LOG_EXE);
    if (launcher != nullptr)
        arguments.insert(arguments.begin(), launcher);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Read-write: a FIFO there opens at once and fills up, as a reader that stopped leaves it.
    posix_spawn_file_actions_addopen(&actions, 1, child.outPath.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, child.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// The exit code once it ended within kPatience; -1 (and killed) otherwise.
int ExitCode(const Child& child)
{
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(child.pid, &status, WNOHANG) == child.pid; })) {
        ::kill(child.pid, SIGKILL);
        ::waitpid(child.pid, &status, 0);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Result RunLogger(const TempDir& folder, std::vector<std::string> arguments)
{
    const Child child = StartLogger(folder, std::move(arguments));
    const int code = ExitCode(child);
    return {code, folder.Read("stdout"), folder.Read("stderr")};
}

size_t LineCount(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return 0;
    std::ifstream file(path, std::ios::binary);
    return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(file), {}, '\n'));
}

constexpr uint32_t kRecords = 25;

// Records on a pseudo-terminal are logged until SIGINT; the file then holds the header
// and every record as a whole row, and the analysis counts them.
TEST(PelmoraLog, LogsUntilInterruptedThenAnalyses)
{
    TempDir folder;
    CounterPty pty;
    const std::string csv = folder.File("run.csv");
    const Child logger = StartLogger(folder, {pty.SlavePath(), "--baud", "115200", "--csv", csv});
    ASSERT_GT(logger.pid, 0);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(csv); }));
    for (uint32_t i = 0; i < kRecords; ++i)
        ASSERT_TRUE(pty.Write(FormatRecord(1, 10, 10000000 + i)));
    ASSERT_TRUE(WaitUntil([&] { return LineCount(csv) == kRecords + 1; }));
    ::kill(logger.pid, SIGINT);
    ASSERT_EQ(ExitCode(logger), 0) << folder.Read("stderr");

    const std::string text = folder.Read("run.csv");
    LogReadCounts counts;
    const std::vector<LogRow> rows = ParseLogText(text, &counts);
    ASSERT_EQ(rows.size(), kRecords);
    EXPECT_EQ(counts.malformed, 0u);
    EXPECT_TRUE(text.starts_with(LogHeaderLine()) && text.ends_with("\r\n"));
    for (uint32_t i = 0; i < kRecords; ++i)
        EXPECT_EQ(rows[i].frequencyHz, 10000000 + i);

    LogSamples loaded;
    ASSERT_TRUE(LoadLogSamples(csv, loaded));
    const Result analysed = RunLogger(folder, {"--analyse", csv});
    EXPECT_EQ(analysed.exitCode, 0);
    EXPECT_EQ(analysed.out, SummaryText(AnalyseLog(loaded)));
    const Result json = RunLogger(folder, {"--analyse", csv, "--json"});
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object()["count"].toInt(), static_cast<int>(kRecords));
}

// Exit codes: bad usage 2 (nothing touched), a port that cannot open 3 with its reason.
TEST(PelmoraLog, ExitCodesForBadUsageAndMissingPort)
{
    TempDir folder;
    folder.Write("empty.csv", LogHeaderLine());
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } cases[] = {{{}, 2, "PORT is missing"},
                 {{folder.File("no-such-device"), "--duration", "1e10"}, 2, "--duration"},
                 {{"--analyse", folder.File("empty.csv")}, 1, folder.File("empty.csv") + ": no readable row"},
                 {{"/dev/ttyS0", "--baud", "1234"}, 2, "--baud"},
                 {{"/dev/ttyS0", "--c1", "1"}, 2, "--c1 and --c2"},
                 {{"/dev/ttyS0", "--json"}, 2, "--analyse"},
                 {{"--analyse", "a.csv", "--duration", "3"}, 2, "--duration"},
                 {{"/dev/ttyS0", "/dev/ttyS1"}, 2, "unexpected"},
                 {{"--analyse", "a.csv", "--confidence", "1"}, 2, "--confidence"},
                 {{"--analyse", "a.csv", "--confidence", "0"}, 2, "--confidence"},
                 {{"/dev/ttyS0", "--remove-drift"}, 2, "--analyse"},
                 {{"--attach", "/dev/ttyS0", "--c1", "1", "--c2", "1"}, 2, "the inductance comes from the stream"},
                 {{"--attach", "/dev/ttyS0", "/dev/ttyS1"}, 2, "unexpected"},
                 {{"/dev/ttyS0", "--serve-tcp", "70000"}, 2, "--serve-tcp"},
                 {{"--attach", folder.File("nobody")}, 3, "no program serves " + folder.File("nobody")},
                 {{folder.File("no-such-device")}, 3,
                  folder.File("no-such-device") + " does not exist: is the counter plugged in?"},
                 {{"COM9999"}, 3, "COM9999 has no device: add a line COM9999=<device> to [Port] of "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Result result = RunLogger(folder, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

struct AttachEndRow {
    const char* Name;
    int Signal;           // to the serving pelmora-log once the attached one logged every row
    int ExitCode;         // of the attached one
    const char* Message;  // in its standard error; empty: nothing of a broken stream
};

class PelmoraLogAttachEnd : public testing::TestWithParam<AttachEndRow> {};

// A second pelmora-log attached to the one that holds the port logs the same rows; it
// ends with 0 when the serving one ends in order and with 5 and a word when it dies.
TEST_P(PelmoraLogAttachEnd, LogsTheSameRowsAndTellsADeathFromAnEnd)
{
    const AttachEndRow& row = GetParam();
    TempDir folder;
    const RuntimeFolder runtime(folder.Path());
    CounterPty pty;
    const Child serving =
        StartLogger(folder, {pty.SlavePath(), "--baud", "115200", "--csv", folder.File("held.csv")});
    const KillOnExit servingEnds(serving.pid);
    const std::string socket = SocketPathFor(folder.File("pelmora"), pty.SlavePath());
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(socket); }));
    TempDir attachedFolder;
    const Child attached =
        StartLogger(attachedFolder, {"--attach", pty.SlavePath(), "--csv", folder.File("attached.csv")});
    const KillOnExit attachedEnds(attached.pid);
    RecordFeed feed(pty);
    // The server takes a client in on its own thread: readings before that pass it by.
    ASSERT_TRUE(WaitUntil([&] { return feed.Send(1) && LineCount(folder.File("attached.csv")) > 1; }));
    ASSERT_TRUE(feed.Send(kRecords));
    ASSERT_TRUE(WaitUntil([&] { return HasRowOf(folder.Read("attached.csv"), feed.LastHz()); }));
    const std::string attachedRows = folder.Read("attached.csv");
    ::kill(serving.pid, row.Signal);
    const int servingExit = ExitCode(serving);
    EXPECT_EQ(ExitCode(attached), row.ExitCode);
    const std::string said = attachedFolder.Read("stderr");
    if (*row.Message != '\0') {
        EXPECT_NE(said.find(row.Message), std::string::npos) << said;
    } else {
        EXPECT_EQ(said.find("broke off"), std::string::npos) << said;
    }
    EXPECT_EQ(folder.Read("attached.csv"), attachedRows);
    if (row.Signal == SIGKILL) {
        std::filesystem::remove(UucpLock().LockPathFor(pty.SlavePath()));
        return;
    }
    EXPECT_EQ(servingExit, 0) << folder.Read("stderr");
    EXPECT_FALSE(std::filesystem::exists(socket));
    const std::string held = folder.Read("held.csv");
    EXPECT_EQ(LineCount(folder.File("held.csv")), feed.Sent() + 1);
    EXPECT_TRUE(held.ends_with(attachedRows.substr(LogHeaderLine().size()))) << held << attachedRows;
}

INSTANTIATE_TEST_SUITE_P(
    Endings, PelmoraLogAttachEnd,
    testing::Values(AttachEndRow{"ServingOneInterrupted", SIGINT, 0, ""},
                    AttachEndRow{"ServingOneTerminated", SIGTERM, 0, ""},
                    AttachEndRow{"ServingOneHungUp", SIGHUP, 0, ""},
                    AttachEndRow{"ServingOneKilled", SIGKILL, 5,
                                 "pelmora-log: the stream broke off: the program serving /dev/pts/"}),
    kRowName);

// count records of 10 MHz and up, in one piece.
std::string Records(uint32_t count)
{
    std::string records;
    for (uint32_t i = 0; i < count; ++i)
        records += FormatRecord(1, 10, 10000000 + i);
    return records;
}

// The counter's adapter as udev shows it: a link to its node, which goes when it is
// pulled and comes back, to a new node, when it is plugged in again.
struct Adapter {
    explicit Adapter(const TempDir& scratch) : folder(scratch) { Plug(); }

    void Plug()
    {
        pty = std::make_unique<CounterPty>();
        const std::string temporary = folder.File(".tmp-ttyX");
        std::filesystem::create_symlink(pty->SlavePath(), temporary);
        std::filesystem::rename(temporary, link);
    }
    void Pull()
    {
        std::filesystem::remove(link);
        pty->HangUp();
    }
    bool Said(const char* text) const { return folder.Read("stderr").find(text) != std::string::npos; }

    const TempDir& folder;
    const std::string link = folder.File("ttyX");
    std::unique_ptr<CounterPty> pty;
};

struct EndingRow {
    const char* Name;
    void (*Act)(Adapter& adapter, const std::string& csv, pid_t logger);  // then one more record comes
    int ExitCode;
    const char* Message;
    const char* Option = nullptr;  // one more, without a value
};

class PelmoraLogEnding : public testing::TestWithParam<EndingRow> {};

// A run that ends says why and sums up exactly the rows in its file.
TEST_P(PelmoraLogEnding, SaysWhyAndSummarisesTheRowsInTheFile)
{
    TempDir folder;
    Adapter adapter(folder);
    const std::string csv = folder.File("run.csv");
    std::vector<std::string> arguments{adapter.link, "--baud", "115200", "--csv", csv};
    if (GetParam().Option != nullptr)
        arguments.push_back(GetParam().Option);
    const Child logger = StartLogger(folder, arguments);
    ASSERT_TRUE(logger.pid > 0 && adapter.pty->Write(Records(kRecords)));
    ASSERT_TRUE(WaitUntil([&] { return LineCount(csv) == kRecords + 1; }));
    GetParam().Act(adapter, csv, logger.pid);
    adapter.pty->Write(Records(1), std::chrono::milliseconds(100));
    EXPECT_EQ(ExitCode(logger), GetParam().ExitCode);
    EXPECT_NE(folder.Read("stderr").find(GetParam().Message), std::string::npos) << folder.Read("stderr");
    LogSamples loaded;
    ASSERT_TRUE(LoadLogSamples(std::filesystem::exists(csv) ? csv : csv + ".old", loaded));
    EXPECT_EQ(loaded.counts.malformed, 0u);
    EXPECT_EQ(folder.Read("stdout"), SummaryText(AnalyseLog(loaded)));
}

INSTANTIATE_TEST_SUITE_P(
    Endings, PelmoraLogEnding,
    testing::Values(
        EndingRow{"PortHangsUpWithExitOnHangup", [](Adapter& adapter, const std::string&, pid_t) { adapter.Pull(); },
                  5, "the port went away", "--exit-on-hangup"},
        EndingRow{"AdapterPulledAndPluggedBackIsFollowed",
                  [](Adapter& adapter, const std::string& csv, pid_t logger) {
                      adapter.Pull();
                      ASSERT_TRUE(WaitUntil([&] { return adapter.Said("waiting for"); }));
                      adapter.Plug();
                      ASSERT_TRUE(WaitUntil([&] { return adapter.Said("ttyX is back"); }));
                      ASSERT_TRUE(adapter.pty->Write(Records(1)));
                      ASSERT_TRUE(WaitUntil([&] { return LineCount(csv) == kRecords + 2; }));
                      ::kill(logger, SIGINT);
                  },
                  0, "ttyX is back"},
        EndingRow{"LogRenamed",
                  [](Adapter&, const std::string& csv, pid_t) { std::filesystem::rename(csv, csv + ".old"); }, 4,
                  "removed or renamed"},
        EndingRow{"FileSizeLimit",
                  [](Adapter& adapter, const std::string& csv, pid_t logger) {
                      // Rows enough that the summary, in a file under the same limit, fits.
                      adapter.pty->Write(Records(200));
                      WaitUntil([&] { return LineCount(csv) == kRecords + 201; });
                      const rlimit limit{std::filesystem::file_size(csv) + 10, std::filesystem::file_size(csv) + 10};
                      ::prlimit(logger, RLIMIT_FSIZE, &limit, nullptr);
                  },
                  4, "File too large"}),
    kRowName);

struct SignalRow {
    const char* Name;
    int Signal;
    bool UnderNohup;  // started with SIGHUP ignored
    bool Ends;        // false: the run goes on, and SIGTERM ends it after more readings
};

class PelmoraLogSignal : public testing::TestWithParam<SignalRow> {};

// An end signal ends the run in order within 5 s: every reading received is in the log
// (also those of the last batch), the lock file and the socket are gone and the clients
// got "end". A SIGHUP ignored at start (nohup) stays ignored.
TEST_P(PelmoraLogSignal, EndsInOrderUnlessIgnoredAtStart)
{
    const SignalRow& row = GetParam();
    TempDir folder;
    const RuntimeFolder runtime(folder.Path());
    CounterPty pty;
    const std::string csv = folder.File("run.csv");
    const Child logger =
        StartLogger(folder, {pty.SlavePath(), "--baud", "115200", "--csv", csv}, row.UnderNohup ? "nohup" : nullptr);
    const KillOnExit loggerEnds(logger.pid);
    const std::string socket = SocketPathFor(folder.File("pelmora"), pty.SlavePath());
    const std::string lock = UucpLock().LockPathFor(pty.SlavePath());
    StreamClient client;
    ASSERT_TRUE(logger.pid > 0 && WaitUntil([&] { return client.Connect(socket); }));
    ASSERT_TRUE(std::filesystem::exists(lock));
    RecordFeed feed(pty);
    // Once the client saw a reading it sees all: it saw the last one, the log has them all.
    ASSERT_TRUE(WaitUntil([&] { return feed.Send(1) && client.SawAReading(); }));
    ASSERT_TRUE(feed.Send(kRecords) && WaitUntil([&] { return client.Saw(feed.LastHz()); }));
    ::kill(logger.pid, row.Signal);
    if (!row.Ends) {
        EXPECT_TRUE(InSignalMask(logger.pid, "SigIgn", SIGHUP));
        EXPECT_FALSE(InSignalMask(logger.pid, "SigBlk", SIGHUP));
        ASSERT_TRUE(feed.Send(kRecords) && WaitUntil([&] { return client.Saw(feed.LastHz()); }));
        EXPECT_FALSE(client.Ended());
        ::kill(logger.pid, SIGTERM);
    }
    int status = -1;
    bool ended = false;
    const bool inOrder = QTest::qWaitFor([&] {
        ended = ended || ::waitpid(logger.pid, &status, WNOHANG) == logger.pid;
        return ended && !std::filesystem::exists(lock) && !std::filesystem::exists(socket);
    }, 5000);
    ASSERT_TRUE(inOrder) << folder.Read("stderr");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << folder.Read("stderr");
    EXPECT_TRUE(client.Ended());
    LogReadCounts counts;
    EXPECT_EQ(ParseLogText(folder.Read("run.csv"), &counts).size(), feed.Sent());
    EXPECT_EQ(counts.malformed, 0u);
}

INSTANTIATE_TEST_SUITE_P(Signals, PelmoraLogSignal,
                         testing::Values(SignalRow{"Sigterm", SIGTERM, false, true},
                                         SignalRow{"Sigint", SIGINT, false, true},
                                         SignalRow{"Sighup", SIGHUP, false, true},
                                         SignalRow{"SighupUnderNohupIsIgnored", SIGHUP, true, false},
                                         SignalRow{"SigtermUnderNohup", SIGTERM, true, true}),
                         kRowName);

struct OutputRow {
    const char* Name;
    bool ReaderStalls;  // standard output is a pipe nobody reads; else a file
    int Signal;
    int ExitCode;
};

class PelmoraLogOutput : public testing::TestWithParam<OutputRow> {};

// --csv -: an end signal while the reader has stopped leaves the output on a whole row,
// and the readings received that never got out are counted and end the run with 4.
TEST_P(PelmoraLogOutput, EndsOnAWholeRowAndCountsWhatWasNotWritten)
{
    const OutputRow& row = GetParam();
    TempDir folder;
    const RuntimeFolder runtime(folder.Path());
    CounterPty pty;
    if (row.ReaderStalls) {
        ASSERT_EQ(::mkfifo(folder.File("stdout").c_str(), 0600), 0);
    }
    const Child logger = StartLogger(folder, {pty.SlavePath(), "--baud", "115200"});
    const KillOnExit loggerEnds(logger.pid);
    const auto openFifo = [&](int flags) {
        return row.ReaderStalls ? ::open(folder.File("stdout").c_str(), flags) : -1;
    };
    const UniqueFd pipe(openFifo(O_RDONLY | O_NONBLOCK));
    const UniqueFd writeEnd(openFifo(O_WRONLY | O_NONBLOCK));
    StreamClient client;
    ASSERT_TRUE(logger.pid > 0 && WaitUntil([&] {
        return client.Connect(SocketPathFor(folder.File("pelmora"), pty.SlavePath()));
    }));
    RecordFeed feed(pty);
    // Full as the kernel sees it: it takes no write (batches leave pages part-filled,
    // so the byte count alone does not tell).
    const auto full = [&] {
        pollfd output{writeEnd.Get(), POLLOUT, 0};
        return ::poll(&output, 1, 0) == 0;
    };
    ASSERT_TRUE(WaitUntil([&] { return feed.Send(1) && client.SawAReading(); }));
    ASSERT_TRUE(WaitUntil([&] { return feed.Send(kRecords) && (!row.ReaderStalls || full()); }));
    ASSERT_TRUE(WaitUntil([&] { return client.Saw(feed.LastHz()); }));
    if (!row.ReaderStalls) {
        ASSERT_TRUE(WaitUntil([&] { return LineCount(folder.File("stdout")) == feed.Sent() + 1; }));
    }
    ::kill(logger.pid, row.Signal);
    EXPECT_EQ(ExitCode(logger), row.ExitCode);

    std::string output = row.ReaderStalls ? "" : folder.Read("stdout");
    char buffer[65536];
    for (ssize_t got; row.ReaderStalls && (got = ::read(pipe.Get(), buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(got));
    EXPECT_TRUE(output.starts_with(LogHeaderLine()) && output.ends_with("\r\n"));
    LogReadCounts counts;
    const std::vector<LogRow> rows = ParseLogText(output, &counts);
    EXPECT_EQ(counts.malformed, 0u);
    for (size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(rows[i].frequencyHz, RecordFeed::kFirstHz + i) << i;
    const std::string said = folder.Read("stderr");
    if (row.ExitCode == 4) {
        EXPECT_LT(rows.size(), feed.Sent());
        EXPECT_NE(said.find("pelmora-log: " + std::to_string(feed.Sent() - rows.size()) + " readings not written"),
                  std::string::npos) << said;
    } else {
        EXPECT_EQ(rows.size(), feed.Sent());
        EXPECT_EQ(said.find("not written"), std::string::npos) << said;
    }
    folder.Write("output.csv", output);
    LogSamples loaded;
    ASSERT_TRUE(LoadLogSamples(folder.File("output.csv"), loaded));
    EXPECT_TRUE(said.ends_with(SummaryText(AnalyseLog(loaded)))) << said;
}

INSTANTIATE_TEST_SUITE_P(Outputs, PelmoraLogOutput,
                         testing::Values(OutputRow{"StalledReaderSigterm", true, SIGTERM, 4},
                                         OutputRow{"StalledReaderSighup", true, SIGHUP, 4},
                                         OutputRow{"ReaderTakesEverything", false, SIGTERM, 0}),
                         kRowName);

// The status line drops whole fields from its end to stay within the terminal's width.
TEST(PelmoraLog, StatusLineFitsTheTerminal)
{
    EXPECT_EQ(FitToColumns("f 1 Hz  n 12  mean 1.000 Hz", 20), "f 1 Hz  n 12");
}

// The plot of a log is a PNG of the plot's size.
TEST(PelmoraLog, PlotIsWritten)
{
    TempDir folder;
    std::string log = std::string(LogHeaderLine());
    for (int i = 0; i < 64; ++i)
        log += FormatLogRow(LogRow{1796644800000 + i * 1000, i * 1000, 10000000u + i % 3, "001", 1000, std::nullopt});
    folder.Write("run.csv", log);
    // As in a session without a runtime folder: Qt must not warn about it.
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    const Result result = RunLogger(folder, {"--analyse", folder.File("run.csv"), "--plot", folder.File("plot.png")});
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(QImage(QString::fromStdString(folder.File("plot.png"))).size(), QSize(1200, 900));
}

}  // namespace
