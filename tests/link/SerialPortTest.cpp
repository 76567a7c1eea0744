#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QTranslator>

#include "app/Translation.h"
#include "link/port/BaudRateTable.h"
#include "link/port/CSerialPort.h"
#include "link/port/DevicePath.h"
#include "link/port/OpenFailureText.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/link/PortHolders.h"
#include "tests/link/TtySpeedProbe.h"
#include "tests/support/RowName.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 3;

// A UUCP lock file's content: the pid right-aligned in ten columns.
std::string LockLine(long pid)
{
    const std::string digits = std::to_string(pid);
    return std::string(10 - digits.size(), ' ') + digits;
}

class SerialPortTest : public ::testing::Test {
protected:
    TempDir dir;
    CounterPty pty;
    std::string ini = WritePortIni(dir, kPort, pty.SlavePath());
    std::string locks = dir.File("lock");
    void SetUp() override { std::filesystem::create_directory(locks); }
};

TEST_F(SerialPortTest, OpensTheMappedDeviceClosesAndReopens)
{
    CSerialPort port(ini, locks);
    ASSERT_EQ(port.Open(kPort, 9600), 1);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(::isatty(port.GetHandle()));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetHandle(), -1);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(port.Open(kPort, 115200), 1);
        port.Close();
    }
}

TEST_F(SerialPortTest, LineIsRawEightNoneOne)
{
    CSerialPort port(ini, locks);
    ASSERT_EQ(port.Open(kPort, 9600), 1);
    termios line{};
    ASSERT_EQ(::tcgetattr(port.GetHandle(), &line), 0);
    const struct {
        const char* Name;
        tcflag_t Flags;
        tcflag_t Mask;
        tcflag_t Expected;
    } checks[] = {
        {"no CR/LF translation", line.c_iflag, ICRNL | INLCR | IGNCR, 0},
        {"no software flow control", line.c_iflag, IXON | IXOFF | IXANY, 0},
        {"no stripping or parity check", line.c_iflag, ISTRIP | INPCK, 0},
        {"raw output", line.c_oflag, OPOST, 0},
        {"no canonical mode, echo or signals", line.c_lflag, ICANON | ECHO | ISIG | IEXTEN, 0},
        {"8 data bits", line.c_cflag, CSIZE, CS8},
        {"no parity, one stop bit", line.c_cflag, PARENB | CSTOPB, 0},
        {"receiver on, modem lines ignored", line.c_cflag, CLOCAL | CREAD, CLOCAL | CREAD},
    };
    for (const auto& check : checks) {
        SCOPED_TRACE(check.Name);
        EXPECT_EQ(check.Flags & check.Mask, check.Expected);
    }
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
    EXPECT_NE(::fcntl(port.GetHandle(), F_GETFL) & O_NONBLOCK, 0);
}

TEST_F(SerialPortTest, EveryTableSpeedIsSet)
{
    for (const uint32_t rate : BaudRateTable::kRates) {
        SCOPED_TRACE(rate);
        CSerialPort port(ini, locks);
        ASSERT_EQ(port.Open(kPort, rate), 1);
        const TtySpeeds speeds = ProbeTtySpeeds(port.GetHandle());
        EXPECT_EQ(speeds.Output, rate);
        EXPECT_EQ(speeds.Input, rate);
    }
}

TEST_F(SerialPortTest, EveryByteArrivesUnchanged)
{
    CSerialPort port(ini, locks);
    ASSERT_EQ(port.Open(kPort, 9600), 1);
    const std::string sent("\r\n\x11\x13\x03\x04\x1a\x7f\0\xff", 10);
    ASSERT_TRUE(pty.Write(sent));
    std::string received;
    ASSERT_TRUE(WaitUntil([&] {
        uint8_t buffer[16];
        uint32_t count = 0;
        if (port.Read(buffer, sizeof buffer, count) == 1)
            received.append(reinterpret_cast<const char*>(buffer), count);
        return received.size() >= sent.size();
    }));
    EXPECT_EQ(received, sent);
}

bool TerminalIsExclusive(int fd)
{
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

// Only root gets past another holder's TIOCEXCL into our own checks (CI runs
// as root); as anyone else the kernel refuses the open itself.
TEST_F(SerialPortTest, PortHeldByAnotherOpenIsRefusedAndItsHolderKeepsIt)
{
    const struct {
        const char* Name;
        bool HolderIsPelmora;  // else a bare open with TIOCEXCL, no flock, no lock file
    } rows[] = {{"another Pelmora", true}, {"TIOCEXCL alone", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        CSerialPort first(ini, locks);
        int holder = -1;
        if (row.HolderIsPelmora) {
            ASSERT_EQ(first.Open(kPort, 9600), 1);
            holder = first.GetHandle();
        } else {
            holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            ASSERT_GE(holder, 0);
            ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
        }
        CSerialPort second(ini, dir.File("other-locks"));
        EXPECT_EQ(second.Open(kPort, 9600), 0);
        EXPECT_FALSE(second.IsOpen());
        EXPECT_TRUE(TerminalIsExclusive(holder)) << "the refused open cleared the holder's flag";
        if (row.HolderIsPelmora)
            first.Close();
        else if (::ioctl(holder, TIOCNXCL) == 0)  // the flag outlives the descriptor
            ::close(holder);
        EXPECT_EQ(second.Open(kPort, 9600), 1) << "the holder's exclusive mode and lock must be gone";
    }
}

TEST_F(SerialPortTest, UucpLockIsTakenAndReleased)
{
    CSerialPort port(ini, locks);
    UucpLock probe(locks);
    const std::string lockFile = probe.LockPathFor(pty.SlavePath());
    ASSERT_EQ(port.Open(kPort, 9600), 1);
    std::ifstream file(lockFile);
    std::string pid;
    ASSERT_TRUE(std::getline(file, pid));
    EXPECT_EQ(pid, LockLine(::getpid()));
    port.Close();
    EXPECT_FALSE(std::filesystem::exists(lockFile));
}

// What a lock file left in the way names.
enum class Names { Bytes, RunningProcess, EndedProcess, AbovePidMax };
enum class Written { Now, TenSecondsAgo, LongAgo };  // long ago: before any running process started

struct LockFileRow {
    const char* Name;
    Names Pid;
    std::string Bytes;  // the file's bytes where Pid is Bytes, else how the pid is written: "text" or "binary"
    Written When;
    OpenRefusal AsRoot;    // None: the port opens, the stale lock replaced
    OpenRefusal AsNobody;  // in a sticky lock folder, the lock file root's
};

class LockFileTest : public ::testing::TestWithParam<LockFileRow> {
protected:
    void SetUp() override
    {
        fs::permissions(dir.Path(), fs::perms(0755));
        fs::create_directory(locks);
        fs::permissions(locks, fs::perms(01777));
        ::chmod(pty.SlavePath().c_str(), 0666);
        const LockFileRow& row = GetParam();
        if (row.Bytes == "folder")
            fs::create_directory(lockFile);
        else if (row.Bytes == "fifo")
            ::mkfifo(lockFile.c_str(), 0644);  // reading one without a writer would wait for ever
        else
            std::ofstream(lockFile, std::ios::binary) << LockBytes(row);
        const timespec longAgo[2] = {{946684800, 0}, {946684800, 0}};  // 2000-01-01
        const timespec tenSecondsAgo[2] = {{std::time(nullptr) - 10, 0}, {std::time(nullptr) - 10, 0}};
        if (row.When != Written::Now)
            ::utimensat(AT_FDCWD, lockFile.c_str(), row.When == Written::LongAgo ? longAgo : tenSecondsAgo, 0);
    }

    static std::string LockBytes(const LockFileRow& row)
    {
        long pid = 0;
        switch (row.Pid) {
        case Names::Bytes:
            return row.Bytes;
        case Names::RunningProcess:
            pid = ::getppid();
            break;
        case Names::EndedProcess:
            pid = EndedPid();
            break;
        case Names::AbovePidMax:
            pid = PidMax() + 1;
            break;
        }
        const auto binary = static_cast<int32_t>(pid);
        return row.Bytes == "binary" ? std::string(reinterpret_cast<const char*>(&binary), 4) : LockLine(pid) + "\n";
    }

    static long EndedPid()
    {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }

    static long PidMax()
    {
        long max = 0;
        std::ifstream("/proc/sys/kernel/pid_max") >> max;
        return max;
    }

    // The port's answer: "opened", or the reason in English.
    std::string Open() const
    {
        CSerialPort port({}, locks);
        return port.OpenPath(pty.SlavePath(), 9600) == 1 ? "opened" : DescribeOpenFailure(port.LastOpenFailure());
    }

    std::string Expected(OpenRefusal why) const
    {
        const std::string device = pty.SlavePath();
        switch (why) {
        case OpenRefusal::None:
            return "opened";
        case OpenRefusal::HeldByAnother:
            return GetParam().Pid == Names::RunningProcess
                       ? device + " is in use by " + ProcessNameOf(::getppid()) + " (PID " +
                             std::to_string(::getppid()) + "): close it, then connect again."
                       : device + " is in use by another program: close it, then connect again.";
        case OpenRefusal::LockNotAFile:
            return device + " cannot be locked: " + lockFile +
                   " is no lock file but a folder or a special file. Remove it, then connect again.";
        case OpenRefusal::StaleLockStays:
            return device + " is not in use, but the lock file " + lockFile + " that an ended program left belongs "
                   "to root and cannot be removed: remove it with \"sudo rm " + lockFile + "\", then connect again.";
        default:
            return "unexpected";
        }
    }

    static std::string ProcessNameOf(long pid)
    {
        std::string name;
        std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), name);
        return name;
    }

    TempDir dir;
    CounterPty pty;
    std::string locks = dir.File("lock");
    std::string lockFile = UucpLock(locks).LockPathFor(pty.SlavePath());
    std::unique_ptr<QTranslator> english = InstallTranslation("en");
};

TEST_P(LockFileTest, LiveLockRefusesStaleOneIsReplacedOrNamed)
{
    EXPECT_EQ(AsNobody([this] { return Open(); }), Expected(GetParam().AsNobody)) << "as nobody";
    EXPECT_EQ(Open(), Expected(GetParam().AsRoot)) << "as root";
    if (GetParam().AsRoot == OpenRefusal::None) {
        EXPECT_FALSE(fs::exists(lockFile)) << "the stale lock stays after the port closed";
    }
}

constexpr auto kOpens = OpenRefusal::None;
constexpr auto kHeld = OpenRefusal::HeldByAnother;
constexpr auto kStays = OpenRefusal::StaleLockStays;

INSTANTIATE_TEST_SUITE_P(
    Locks, LockFileTest,
    ::testing::Values(
        LockFileRow{"HeldByARunningProcess", Names::RunningProcess, "text", Written::Now, kHeld, kHeld},
        LockFileRow{"HeldBinaryPid", Names::RunningProcess, "binary", Written::Now, kHeld, kHeld},
        LockFileRow{"OwnerGone", Names::EndedProcess, "text", Written::Now, kOpens, kStays},
        LockFileRow{"OwnerGoneBinaryPid", Names::EndedProcess, "binary", Written::Now, kOpens, kStays},
        LockFileRow{"PidReusedByALaterProcess", Names::RunningProcess, "text", Written::LongAgo, kOpens, kStays},
        LockFileRow{"NoPidInTheFile", Names::Bytes, "         0\n", Written::Now, kOpens, kStays},
        LockFileRow{"TextWithoutANumber", Names::Bytes, "minicom\n", Written::Now, kOpens, kStays},
        LockFileRow{"NegativePid", Names::Bytes, "        -1\n", Written::Now, kOpens, kStays},
        LockFileRow{"NegativeBinaryPid", Names::Bytes, "\xff\xff\xff\xff", Written::Now, kOpens, kStays},
        LockFileRow{"PidOverflowingALong", Names::Bytes, "99999999999999999999\n", Written::Now, kOpens, kStays},
        LockFileRow{"PidThatACastWouldMakeInit", Names::Bytes, "4294967297\n", Written::Now, kOpens, kStays},
        LockFileRow{"PidAbovePidMax", Names::AbovePidMax, "text", Written::Now, kOpens, kStays},
        LockFileRow{"EmptyWhileBeingWritten", Names::Bytes, "", Written::Now, kHeld, kHeld},
        LockFileRow{"EmptyLeftTenSecondsAgo", Names::Bytes, "", Written::TenSecondsAgo, kOpens, kStays},
        LockFileRow{"FolderInItsPlace", Names::Bytes, "folder", Written::Now, OpenRefusal::LockNotAFile,
                    OpenRefusal::LockNotAFile},
        LockFileRow{"FifoInItsPlace", Names::Bytes, "fifo", Written::Now, OpenRefusal::LockNotAFile,
                    OpenRefusal::LockNotAFile}),
    kRowName);

TEST_F(SerialPortTest, MissingLockFolderDoesNotStopTheOpen)
{
    CSerialPort port(ini, dir.File("no-such-folder"));
    EXPECT_EQ(port.Open(kPort, 9600), 1);
}

struct RefusedCase {
    const char* Name;
    int Port;
    std::string Device;  // mapped to COM<Port> in the ini; empty: no key
    OpenRefusal Why;
};

class RefusedOpenTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOpenTest, OpenReturnsZeroAndStaysClosed)
{
    TempDir dir;
    const std::string ini = GetParam().Device.empty() ? dir.File("none.ini")
                                                      : WritePortIni(dir, GetParam().Port, GetParam().Device);
    CSerialPort port(ini, dir.Path());
    EXPECT_EQ(port.Open(GetParam().Port, 9600), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetHandle(), -1);
    EXPECT_EQ(port.LastOpenFailure().Why, GetParam().Why);
    EXPECT_EQ(port.LastOpenFailure().Mapping, GetParam().Port == 0 ? "" : GetParam().Device);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("LCK..")) << "lock left behind";
}

INSTANTIATE_TEST_SUITE_P(
    Ports, RefusedOpenTest,
    ::testing::Values(RefusedCase{"PortZero", 0, "", OpenRefusal::NoPortSelected},
                      RefusedCase{"PortZeroEvenMapped", 0, "/dev/null", OpenRefusal::NoPortSelected},
                      RefusedCase{"MissingDevice", 5, "/nonexistent/ttyUSB99", OpenRefusal::NoSuchDevice},
                      RefusedCase{"NotATerminal", 5, "/dev/null", OpenRefusal::NotATerminal},
                      RefusedCase{"AboveTwentyUnmapped", 21, "", OpenRefusal::NoDeviceMapped},
                      RefusedCase{"NegativeUnmapped", -3, "", OpenRefusal::NoDeviceMapped}), kRowName);

TEST(DevicePath, DefaultsMapThePortNumber)
{
    const struct {
        int Port;
        const char* Expected;
    } rows[] = {{1, "/dev/ttyUSB0"}, {10, "/dev/ttyUSB9"}, {11, "/dev/ttyACM0"}, {20, "/dev/ttyACM9"},
                {21, ""},           {0, ""},              {-1, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Port);
        EXPECT_EQ(DefaultDevicePath(row.Port), row.Expected);
    }
}

TEST(DevicePath, IniKeyWinsWholeAndIsReadAtEveryLookup)
{
    TempDir dir;
    const std::string ini = dir.File("Pelmora.ini");
    EXPECT_EQ(DevicePath(ini, 3), "/dev/ttyUSB2");
    std::ofstream(ini) << "[port]\ncom3=/dev/serial/by-id/usb-Counter_0001-if00-port0\n";
    EXPECT_EQ(DevicePath(ini, 3), "/dev/serial/by-id/usb-Counter_0001-if00-port0");
    std::ofstream(ini) << "[Port]\nCOM25=/dev/pts/77\n";
    EXPECT_EQ(DevicePath(ini, 25), "/dev/pts/77");
    EXPECT_EQ(DevicePath(ini, 3), "/dev/ttyUSB2");
    const std::string longPath = "/dev/serial/by-path/" + std::string(600, 'p');
    std::ofstream(ini) << "[Port]\nCOM4=" << longPath << "\n";
    EXPECT_EQ(DevicePath(ini, 4), longPath);
}

TEST(BaudRateTable, CheckedAccessNeverLeavesTheTable)
{
    const struct {
        int Index;
        std::optional<uint32_t> Expected;
    } rows[] = {{-1, std::nullopt}, {0, 110u},     {6, 9600u},           {7, 14400u},
                {11, 115200u},      {12, std::nullopt}, {1 << 30, std::nullopt}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Index);
        EXPECT_EQ(BaudRateTable::At(row.Index), row.Expected);
    }
}

}  // namespace
