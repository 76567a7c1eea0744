#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTranslator>

#include "app/Translation.h"
#include "link/port/CSerialPort.h"
#include "link/port/OpenFailureText.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/PortHolders.h"
#include "tests/support/RowName.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

const std::string kMarkLeft = " is marked exclusive, though no lock names a holder and no program of yours has it "
                              "open: unless a program of another user holds it, a program that ended left the mark. "
                              "Unplugging the adapter clears it (for a pseudo-terminal, ending the program that holds "
                              "its other side), and so does opening it once with Pelmora as root.";
const std::string kNamed = "<named>";  // " is in use by port-holder (PID <its pid>): ..."

struct HolderRow {
    const char* Name;
    std::optional<Hold> Live;  // a process that holds the device now
    bool MarkLeft;             // a program that ended left the device marked exclusive
    std::string AsRoot;        // "opened", or the text after the device's path
    std::string AsNobody;
};

class PortHolderTest : public ::testing::TestWithParam<HolderRow> {
protected:
    void SetUp() override
    {
        fs::permissions(dir.Path(), fs::perms(0755));
        fs::create_directory(locks);
        fs::permissions(locks, fs::perms(01777));
        ::chmod(pty.SlavePath().c_str(), 0666);
        if (GetParam().MarkLeft) {
            ASSERT_TRUE(LeaveExclusiveMark(pty.SlavePath()));
        }
        if (GetParam().Live) {
            holder.emplace(pty.SlavePath(), *GetParam().Live);
            ASSERT_TRUE(holder->Holds());
        }
    }

    // What the window's port says: "opened", or its message box's text.
    std::string Open() const
    {
        CSerialPort port({}, locks);
        return port.OpenPath(pty.SlavePath(), 9600) == 1 ? "opened" : DescribeOpenFailure(port.LastOpenFailure());
    }

    std::string Expected(const std::string& text) const
    {
        if (text == "opened")
            return text;
        if (text == kNamed)
            return pty.SlavePath() + " is in use by " + HoldingProcess::kHolderName + " (PID " +
                   std::to_string(holder->Pid()) + "): close it, then connect again.";
        return pty.SlavePath() + text;
    }

    TempDir dir;
    CounterPty pty;
    std::string locks = dir.File("lock");
    std::optional<HoldingProcess> holder;
    std::unique_ptr<QTranslator> english = InstallTranslation("en");
};

TEST_P(PortHolderTest, TheWindowNamesTheHolderOrTakesWhatAnEndedProgramLeft)
{
    EXPECT_EQ(AsNobody([this] { return Open(); }), Expected(GetParam().AsNobody)) << "as nobody";
    EXPECT_EQ(Open(), Expected(GetParam().AsRoot)) << "as root";
    const bool markStays = GetParam().Live == Hold::ExclusiveMark || (GetParam().MarkLeft && GetParam().AsRoot != "opened");
    EXPECT_EQ(MarkedExclusive(pty.SlavePath()), markStays)
        << "the mark is left as it was found, or cleared by the close that took it over";
}

// pelmora-log's children: its output in files of a folder.
struct Logger {
    pid_t Pid = -1;
    int Wait()
    {
        int status = 0;
        if (!WaitUntil([&] { return ::waitpid(Pid, &status, WNOHANG) == Pid; })) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, &status, 0);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// Its output goes to the folder's files "stdout" and "stderr", made before it switches to nobody.
Logger StartLogger(const TempDir& folder, const std::string& device, const std::string& csv, bool asNobody = false)
{
    std::vector<std::string> arguments{PELMORA_LOG_EXE, device, "--csv", csv};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int out = ::open(folder.File("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(folder.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Logger logger{::fork()};
    if (logger.Pid == 0) {
        const bool switched = !asNobody || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
        if (switched && ::dup2(out, 1) == 1 && ::dup2(err, 2) == 2)
            ::execv(PELMORA_LOG_EXE, argv.data());
        ::_exit(127);
    }
    ::close(out);
    ::close(err);
    return logger;
}

std::size_t Rows(const std::string& csv)
{
    std::ifstream file(csv);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(file), {}, '\n'));
}

// pelmora-log says what the window says, in English, and exits 3, as nobody
// and as root; where it opens, it logs the readings.
TEST_P(PortHolderTest, PelmoraLogSaysTheSameOrLogs)
{
    if (GetParam().AsNobody != "opened") {
        Logger user = StartLogger(dir, pty.SlavePath(), locks + "/user.csv", true);
        ASSERT_GT(user.Pid, 0);
        EXPECT_EQ(user.Wait(), 3) << "as nobody";
        EXPECT_EQ(dir.Read("stderr"), "pelmora-log: " + Expected(GetParam().AsNobody) + "\n") << "as nobody";
    }
    const std::string csv = dir.File("run.csv");
    Logger logger = StartLogger(dir, pty.SlavePath(), csv);
    ASSERT_GT(logger.Pid, 0);
    if (GetParam().AsRoot != "opened") {
        EXPECT_EQ(logger.Wait(), 3);
        EXPECT_EQ(dir.Read("stderr"), "pelmora-log: " + Expected(GetParam().AsRoot) + "\n");
        return;
    }
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(csv); })) << dir.Read("stderr");
    constexpr std::size_t kReadings = 5;
    for (std::size_t i = 0; i < kReadings; ++i)
        ASSERT_TRUE(pty.Write("001 010 00000" + std::to_string(10000 + i) + "\r\n"));
    EXPECT_TRUE(WaitUntil([&] { return Rows(csv) == kReadings + 1; })) << "header and one row a reading";
    ::kill(logger.Pid, SIGINT);
    EXPECT_EQ(logger.Wait(), 0) << dir.Read("stderr");
}

// In the system's sticky lock folder another user's stale lock stays: pelmora-log
// run by nobody says so, with the path and the command that removes it.
TEST(PelmoraLogLock, AnotherUsersStaleLockInVarLockIsNamedWithTheCommand)
{
    struct stat lockFolder {};
    if (::stat("/var/lock", &lockFolder) != 0 || (lockFolder.st_mode & 01777) != 01777)
        GTEST_SKIP() << "no sticky /var/lock open to all";
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms(01777));
    CounterPty pty;
    ::chmod(pty.SlavePath().c_str(), 0666);
    const std::string lock = "/var/lock/LCK.." + fs::path(pty.SlavePath()).parent_path().filename().string() + "_" +
                             fs::path(pty.SlavePath()).filename().string();
    std::ofstream(lock) << "4294967297\n";
    Logger logger = StartLogger(dir, pty.SlavePath(), dir.File("run.csv"), true);
    ASSERT_GT(logger.Pid, 0);
    EXPECT_EQ(logger.Wait(), 3);
    EXPECT_EQ(dir.Read("stderr"), "pelmora-log: " + pty.SlavePath() + " is not in use, but the lock file " + lock +
                                      " that an ended program left belongs to root and cannot be removed: remove it "
                                      "with \"sudo rm " + lock + "\", then connect again.\n");
    EXPECT_TRUE(fs::exists(lock));
    fs::remove(lock);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, PortHolderTest,
    ::testing::Values(HolderRow{"ExclusiveMarkLeftByAnEndedProgram", std::nullopt, true, "opened", kMarkLeft},
                      HolderRow{"ExclusiveMarkOfALiveHolder", Hold::ExclusiveMark, false, kNamed, kMarkLeft},
                      HolderRow{"FlockAlone", Hold::FlockAlone, false, kNamed, kNamed},
                      HolderRow{"FlockOnTopOfALeftMark", Hold::FlockAlone, true, kNamed, kNamed},
                      HolderRow{"NothingButAnOpenAtConnect", Hold::Terminal, false, "opened", "opened"}),
    kRowName);

}  // namespace
