#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <deque>
#include <fstream>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <tuple>
#include <unistd.h>
#include <filesystem>
#include <memory>

#include "display/Readout.h"
#include "link/window/CounterLink.h"
#include "link/sinks/RecordLog.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/PortHolders.h"
#include "tests/link/ProcessProbes.h"
#include "tests/support/RowName.h"
#include "tests/support/Wait.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 7;
constexpr int kBaud9600 = 6;

std::string Record(uint32_t frequency)
{
    char line[32];
    std::snprintf(line, sizeof line, "001 010 %010u\r\n", frequency);
    return line;
}

// Made under a temporary name and renamed into place, as udev makes its links.
void LinkAsUdev(const fs::path& target, const fs::path& link)
{
    const fs::path temporary = link.parent_path() / (".tmp-" + link.filename().string());
    fs::create_symlink(target, temporary);
    fs::rename(temporary, link);
}

// What comes back after the adapter was pulled.
enum class Comes {
    SamePathAndStableName,
    StableNameAlone,          // under another node
    NodeBeforeStableName,     // another adapter takes the old node before ours gets its by-id link
    SharedNameThenSocket,     // adapters without a serial number: another one first, then ours
    Nothing,                  // a bare pseudo-terminal was opened: nothing is its own
};
enum class Ends { Resumes, StaysAway, GivesUp };
// What the returned device brings along.
enum class Brings {
    Nothing,
    ExclusiveMarkLeft,  // by a program that ended
    AnotherProcess,     // that has it open, as a shell its terminal
};

struct ReplugRow {
    const char* Name;
    Comes Back;
    Ends End = Ends::Resumes;
    bool HeldAWhile = false;     // another program holds the returned device for a second
    bool AsUser = false;         // the link waits as an ordinary user
    mode_t FolderMode = 0755;    // of the folder above by-id, watched while by-id is gone
    mode_t DeviceMode = 0666;    // of the returned device
    Brings Along = Brings::Nothing;
};

termios TerminalSettings(const std::string& device)
{
    termios settings{};
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::tcgetattr(fd, &settings);
        ::close(fd);
    }
    return settings;
}

class ReplugTest : public ::testing::TestWithParam<ReplugRow> {
protected:
    void SetUp() override
    {
        fs::create_directories(byId);
        fs::create_directories(byPath);
        LinkAsUdev(first->SlavePath(), opened);
        LinkAsUdev(first->SlavePath(), byId / kStableName);
        link.SetLog(std::make_shared<RecordLog>(queue));
        link.SessionForTest().AddSink(recorder);
        QObject::connect(&link, &CounterLink::RecordsWaiting, [this] { link.TakeRecords(); });
        QObject::connect(&link, &CounterLink::GaveUp,
                         [this](const OpenFailure& why) { gaveUp.push_back(why); });
    }

    // Pulled: the links go and the adapter's end closes.
    void Pull()
    {
        fs::remove(opened);
        fs::remove_all(byId);
        fs::remove_all(byPath);
        first->HangUp();
    }

    void PlugBack(const CounterPty& adapter, bool underTheSamePath)
    {
        fs::create_directories(byId);
        LinkAsUdev(adapter.SlavePath(), byId / kStableName);
        if (underTheSamePath)
            LinkAsUdev(adapter.SlavePath(), opened);
    }

    // The first adapter as a USB device without a serial number, found by its socket.
    void WithoutSerialNumber()
    {
        LinkAsUdev(first->SlavePath(), byPath / "pci-0000:00:14.0-usb-0:2:1.0-port0");
        const fs::path usb = sys / "devices" / "1-2";
        fs::create_directories(usb / "1-2:1.0");
        std::ofstream(usb / "idVendor") << "0403\n";
        fs::create_directories(sys / fs::path(first->SlavePath()).filename());
        fs::create_directory_symlink(usb / "1-2:1.0", sys / fs::path(first->SlavePath()).filename() / "device");
    }

    bool ShowsFrequency(const std::string& text)
    {
        return readout.With([&](ReadoutState& state) { return std::string(state.Text.Frequency).find(text) == 0; });
    }

    bool NoRecordShownYet()
    {
        return readout.With([](ReadoutState& state) { return state.Indicator.Counter == 0; });
    }

    std::vector<uint32_t> LoggedFrequencies()
    {
        queue->Close();
        std::deque<LogRow> rows;
        std::vector<uint32_t> frequencies;
        while (queue->WaitAndTake(rows))
            for (const LogRow& row : rows)
                frequencies.push_back(row.frequencyHz);
        return frequencies;
    }

    static constexpr const char* kStableName = "usb-Counter_A1-if00-port0";
    TempDir dir;
    fs::path opened = fs::path(dir.Path()) / "ttyX";
    fs::path byId = fs::path(dir.Path()) / "serial" / "by-id";
    fs::path byPath = fs::path(dir.Path()) / "serial" / "by-path";
    fs::path sys = fs::path(dir.Path()) / "sys";
    std::unique_ptr<CounterPty> first = std::make_unique<CounterPty>();
    Readout readout;
    std::shared_ptr<LogQueue> queue = std::make_shared<LogQueue>();
    SessionRecorder recorder;  // before the link, which tells it the end
    CounterLink link{readout, WritePortIni(dir, kPort, opened.string()),
                     NameFolders(byId.string(), byPath.string(), sys.string())};
    std::vector<OpenFailure> gaveUp;
};

TEST_P(ReplugTest, TheSameAdapterComesBackByItselfAndNoReadingIsLost)
{
    const ReplugRow& row = GetParam();
    if (row.Back == Comes::SharedNameThenSocket)
        WithoutSerialNumber();
    if (row.Back == Comes::Nothing) {
        fs::remove_all(byId);
        WritePortIni(dir, kPort, first->SlavePath());
    }
    CounterPty other, second;
    for (const std::string& device : {first->SlavePath(), other.SlavePath(), second.SlavePath()})
        ::chmod(device.c_str(), 0666);
    ::chmod(second.SlavePath().c_str(), row.DeviceMode);
    if (row.Along == Brings::ExclusiveMarkLeft) {
        ASSERT_TRUE(LeaveExclusiveMark(second.SlavePath()));
    }
    std::optional<HoldingProcess> shell;
    if (row.Along == Brings::AnotherProcess) {
        shell.emplace(second.SlavePath(), Hold::Terminal);
        ASSERT_TRUE(shell->Holds());
    }
    const termios shellSettings = TerminalSettings(second.SlavePath());
    CSerialPort holder({}, dir.File("holder-locks"));
    if (row.HeldAWhile) {
        ASSERT_EQ(holder.OpenPath(second.SlavePath(), 9600), 1);
    }
    fs::permissions(dir.Path(), fs::perms(0755));  // an ordinary user reads the settings and links
    // The link's threads take the identity of the thread that starts them,
    // and the lock file is released by the one that took it.
    const auto asUserIfAsked = [&row](const auto& act) {
        std::optional<UnprivilegedFiles> user;
        if (row.AsUser)
            user.emplace();
        act();
    };
    asUserIfAsked([&] {
        ASSERT_TRUE(link.Connect(kPort, kBaud9600));
        ASSERT_TRUE(first->Write(Record(1000)));
        ASSERT_TRUE(WaitUntil([&] { return !NoRecordShownYet(); }));
    });
    fs::permissions(byId.parent_path(), fs::perms(row.FolderMode));
    Pull();
    asUserIfAsked([&] { ASSERT_TRUE(WaitUntil([&] { return link.IsAwaitingDevice(); })); });
    EXPECT_TRUE(link.IsOpen()) << "the user stays connected while the adapter is away";
    if (row.End == Ends::StaysAway) {
        EXPECT_EQ(ThreadCountNamed("pelmora-replug"), 0) << "a new pseudo-terminal may take its number";
        EXPECT_EQ(recorder.events, std::vector<SessionEvent>{SessionEvent::PortLost});
        return;
    }
    const auto waits = [] { return ThreadNamedSleeps("pelmora-replug"); };
    ASSERT_TRUE(WaitUntil(waits)) << "the wait did not start";
    if (row.Back == Comes::NodeBeforeStableName) {
        LinkAsUdev(other.SlavePath(), opened);
        fs::create_directories(byId);
        ASSERT_TRUE(WaitUntil(waits));  // woken by the folder, and not taken in by the node
    }
    if (row.Back == Comes::SharedNameThenSocket) {
        PlugBack(other, false);
        fs::create_directories(byPath);
        LinkAsUdev(second.SlavePath(), byPath / "pci-0000:00:14.0-usb-0:2:1.0-port0");
    } else {
        PlugBack(second, row.Back == Comes::SamePathAndStableName);
    }
    if (row.End == Ends::GivesUp) {
        ASSERT_TRUE(WaitUntil([&] { return !gaveUp.empty(); }));
        EXPECT_EQ(gaveUp.size(), 1u);
        EXPECT_EQ(gaveUp[0].Why, OpenRefusal::PermissionDenied);
        EXPECT_FALSE(link.IsOpen()) << "a link that gave up does not stay connected";
        EXPECT_EQ(recorder.events, (std::vector<SessionEvent>{SessionEvent::PortLost, SessionEvent::End}));
        return;
    }
    if (shell) {
        QTest::qWait(4000);  // the measurement window, not a wait for an event
        EXPECT_TRUE(link.IsAwaitingDevice()) << "a terminal in another process's use was taken";
        const termios after = TerminalSettings(second.SlavePath());
        EXPECT_EQ(after.c_lflag & (ECHO | ICANON), static_cast<tcflag_t>(ECHO | ICANON));
        EXPECT_EQ(std::tie(after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag),
                  std::tie(shellSettings.c_iflag, shellSettings.c_oflag, shellSettings.c_cflag, shellSettings.c_lflag))
            << "the terminal's settings were changed";
        shell->End();
    }
    if (row.HeldAWhile) {
        const std::clock_t cpuBefore = std::clock();
        QTest::qWait(1000);  // the measurement window, not a wait for an event
        EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 4) << "the wait spins while the device is held";
        EXPECT_TRUE(link.IsAwaitingDevice());
        holder.Close();
    }
    std::string records;
    for (uint32_t f = 2001; f <= 2020; ++f)
        records += Record(f);
    ASSERT_TRUE(second.Write(records)) << "the adapter was not opened again";
    ASSERT_TRUE(WaitUntil([&] { return ShowsFrequency("      2,020Hz"); }));

    std::vector<uint32_t> expected{1000};
    for (uint32_t f = 2001; f <= 2020; ++f)
        expected.push_back(f);
    EXPECT_EQ(LoggedFrequencies(), expected);
    EXPECT_TRUE(gaveUp.empty());
    link.Disconnect();
    EXPECT_EQ(recorder.events,
              (std::vector<SessionEvent>{SessionEvent::PortLost, SessionEvent::PortBack, SessionEvent::End}));
}

INSTANTIATE_TEST_SUITE_P(
    Returns, ReplugTest,
    ::testing::Values(
        ReplugRow{"UnderTheSamePath", Comes::SamePathAndStableName},
        ReplugRow{"AsAnotherNodeWithTheSameStableName", Comes::StableNameAlone},
        ReplugRow{"NotThroughItsOldNodeBeforeItsStableName", Comes::NodeBeforeStableName},
        ReplugRow{"ThroughItsSocketWhenAdaptersShareTheStableName", Comes::SharedNameThenSocket},
        ReplugRow{"NeverForABarePseudoTerminal", Comes::Nothing, Ends::StaysAway},
        ReplugRow{"HeldAWhileWithoutBusyLooping", Comes::StableNameAlone, Ends::Resumes, true},
        ReplugRow{"HeldAWhileAsAUserTriedAgainOnTheTimer", Comes::StableNameAlone, Ends::Resumes, true, true},
        ReplugRow{"OnTheTimerWhereNoFolderCanBeWatched", Comes::StableNameAlone, Ends::Resumes, false, true, 0711},
        ReplugRow{"RefusedEveryTimeSaysSoOnce", Comes::StableNameAlone, Ends::GivesUp, false, true, 0755, 0},
        ReplugRow{"WithTheExclusiveMarkAnEndedProgramLeft", Comes::StableNameAlone, Ends::Resumes, false, false, 0755,
                  0666, Brings::ExclusiveMarkLeft},
        ReplugRow{"NotWhileAnotherProcessHasItOpen", Comes::StableNameAlone, Ends::Resumes, false, false, 0755, 0666,
                  Brings::AnotherProcess}),
    kRowName);

TEST_F(ReplugTest, DisconnectWhileWaitingEndsAtOnceAndReleasesThePort)
{
    ASSERT_TRUE(link.Connect(kPort, kBaud9600));
    Pull();
    ASSERT_TRUE(WaitUntil([&] { return link.IsAwaitingDevice(); }));
    const auto start = std::chrono::steady_clock::now();
    link.Disconnect();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.IsAwaitingDevice());
    // A joined thread may take a moment to leave /proc; a waiting one never does.
    EXPECT_TRUE(WaitUntil([] { return ThreadCountNamed("pelmora-replug") == 0; }))
        << "the waiting went on after the disconnect";
    RecordProperty("disconnect_us",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    CounterPty second;
    PlugBack(second, true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(link.IsOpen()) << "a return after the disconnect must not reconnect";
}

}  // namespace
