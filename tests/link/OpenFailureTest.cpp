#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "link/CSerialPort.h"
#include "link/OpenFailureText.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/settings/TempFolder.h"
#include "tools/simulator/CounterPty.h"

namespace {

constexpr int kPort = 3;
constexpr gid_t kTtyGroup = 5;
constexpr gid_t kDialoutGroup = 20;

const char kJoinDialout[] =
    "/dev/ttyUSB0: permission denied. Members of group dialout may use it: join it with "
    "\"sudo usermod -aG dialout $USER\", then log out and log in again.";

OpenFailure Failure(OpenRefusal why, std::string device = "/dev/ttyUSB0", int error = 0)
{
    return {why, error, std::move(device), kPort, "/home/u/.config/Pelmora/Pelmora.ini", std::nullopt};
}

OpenFailure HeldBy(std::optional<long> pid)
{
    OpenFailure failure = Failure(OpenRefusal::HeldByAnother);
    failure.HolderPid = pid;
    return failure;
}

DeviceFacts Facts(const char* group, unsigned gid, unsigned permissions, char type = 'c')
{
    return {true, "root", group, gid, type, permissions};
}

TEST(OpenFailureText, NamesTheDeviceAndWhatToDo)
{
    const OpenFailure denied = Failure(OpenRefusal::PermissionDenied, "/dev/ttyUSB0", EACCES);
    const struct {
        const char* Name;
        OpenFailure Failure;
        DeviceFacts Device;
        std::string Expected;
    } rows[] = {
        {"group may read and write", denied, Facts("dialout", 20, 0660), kJoinDialout},
        {"group rw, others too", denied, Facts("dialout", 20, 0664), kJoinDialout},
        {"group may only write", denied, Facts("dialout", 20, 0620),
         "/dev/ttyUSB0: permission denied (owner root, group dialout, mode crw--w----)."},
        {"group may only read", denied, Facts("uucp", 10, 0640),
         "/dev/ttyUSB0: permission denied (owner root, group uucp, mode crw-r-----)."},
        {"tty group is never advised", denied, Facts("tty", 5, 0660),
         "/dev/ttyUSB0: permission denied (owner root, group tty, mode crw-rw----)."},
        {"root group is never advised", denied, Facts("root", 0, 0660),
         "/dev/ttyUSB0: permission denied (owner root, group root, mode crw-rw----)."},
        {"a plain file, no bits", denied, Facts("staff", 50, 0, '-'),
         "/dev/ttyUSB0: permission denied (owner root, group staff, mode ----------)."},
        {"facts unknown", denied, {}, "/dev/ttyUSB0: permission denied."},
        {"missing", Failure(OpenRefusal::NoSuchDevice, "/dev/ttyUSB0", ENOENT), {},
         "/dev/ttyUSB0 does not exist: is the counter plugged in? A line COM3=<device> in [Port] "
         "of /home/u/.config/Pelmora/Pelmora.ini maps COM3 to any device."},
        {"held, lock names pid", HeldBy(4242), {},
         "/dev/ttyUSB0 is in use by another program (PID 4242): close it, then connect again."},
        {"held, no lock file", HeldBy(std::nullopt), {},
         "/dev/ttyUSB0 is in use by another program: close it, then connect again."},
        {"held, lock without pid", HeldBy(0), {},
         "/dev/ttyUSB0 is in use by another program: close it, then connect again."},
        {"not a terminal", Failure(OpenRefusal::NotATerminal, "/dev/null", ENOTTY), {},
         "/dev/null is not a serial port: point COM3= in [Port] of "
         "/home/u/.config/Pelmora/Pelmora.ini at the counter's device."},
        {"unmapped number", Failure(OpenRefusal::NoDeviceMapped, ""), {},
         "COM3 has no device: add a line COM3=<device> to [Port] of "
         "/home/u/.config/Pelmora/Pelmora.ini."},
        {"no port", Failure(OpenRefusal::NoPortSelected, ""), {},
         "No port is selected: choose one in the port dialog."},
        {"no speed", Failure(OpenRefusal::NoSpeedSelected, ""), {},
         "No speed is selected: choose one in the port dialog."},
        {"other error", Failure(OpenRefusal::Other, "/dev/ttyUSB0", EIO), {},
         "/dev/ttyUSB0: Input/output error."},
        {"opened", Failure(OpenRefusal::None), {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(OpenFailureText(row.Failure, row.Device), row.Expected);
    }
}

TEST(OpenFailureText, ErrnoMapsToTheRefusal)
{
    const struct {
        int Error;
        OpenRefusal Expected;
    } rows[] = {{EACCES, OpenRefusal::PermissionDenied}, {EPERM, OpenRefusal::PermissionDenied},
                {ENOENT, OpenRefusal::NoSuchDevice},     {ENXIO, OpenRefusal::NoSuchDevice},
                {ENODEV, OpenRefusal::NoSuchDevice},     {EBUSY, OpenRefusal::HeldByAnother},
                {ENOTTY, OpenRefusal::NotATerminal},     {EIO, OpenRefusal::Other}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Error);
        EXPECT_EQ(RefusalForError(row.Error), row.Expected);
    }
}

enum class Target { Pty, File };

// Root passes every permission bit, so the denied opens run as an ordinary user.
TEST(OpenFailure, DeniedDeviceTellsWhoMayUseIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the rows set a device's group, which needs root";
    const struct {
        const char* Name;
        Target Device;
        gid_t Group;
        mode_t Mode;
        std::string Expected;  // after the device path
    } rows[] = {
        {"pty, no bits", Target::Pty, kTtyGroup, 0,
         ": permission denied (owner root, group tty, mode c---------)."},
        {"pty, group tty rw", Target::Pty, kTtyGroup, 0660,
         ": permission denied (owner root, group tty, mode crw-rw----)."},
        {"pty, group dialout rw", Target::Pty, kDialoutGroup, 0660,
         ": permission denied. Members of group dialout may use it: join it with "
         "\"sudo usermod -aG dialout $USER\", then log out and log in again."},
        {"file, no bits", Target::File, 0, 0,
         ": permission denied (owner root, group root, mode ----------)."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TempDir dir;
        CounterPty pty;
        const std::string device = row.Device == Target::Pty ? pty.SlavePath() : dir.File("tty");
        if (row.Device == Target::File)
            std::ofstream(device) << "not a terminal";
        ASSERT_EQ(::chown(device.c_str(), 0, row.Group), 0);
        ASSERT_EQ(::chmod(device.c_str(), row.Mode), 0);
        CSerialPort port(WritePortIni(dir, kPort, device), dir.File("no-lock-folder"));
        {
            const UnprivilegedFiles user;
            ASSERT_TRUE(user.Available());
            EXPECT_EQ(port.Open(kPort, 9600), 0);
        }
        EXPECT_EQ(port.LastOpenFailure().Why, OpenRefusal::PermissionDenied);
        EXPECT_EQ(port.LastOpenFailure().Error, EACCES);
        EXPECT_EQ(DescribeOpenFailure(port.LastOpenFailure()), device + row.Expected);
    }
}

TEST(OpenFailure, HeldPortNamesTheHolderWhereTheLockSaysIt)
{
    const struct {
        const char* Name;
        bool SameLockFolder;
        std::string Holder;
    } rows[] = {{"lock file names this process", true, " (PID " + std::to_string(::getpid()) + ")"},
                {"exclusive open without a lock file", false, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        TempDir dir;
        CounterPty pty;
        const std::string ini = WritePortIni(dir, kPort, pty.SlavePath());
        CSerialPort first(ini, dir.Path().string());
        ASSERT_EQ(first.Open(kPort, 9600), 1);
        CSerialPort second(ini, row.SameLockFolder ? dir.Path().string() : dir.File("other"));
        EXPECT_EQ(second.Open(kPort, 9600), 0);
        EXPECT_EQ(second.LastOpenFailure().Why, OpenRefusal::HeldByAnother);
        EXPECT_EQ(DescribeOpenFailure(second.LastOpenFailure()),
                  pty.SlavePath() + " is in use by another program" + row.Holder +
                      ": close it, then connect again.");
        first.Close();
        ASSERT_EQ(second.Open(kPort, 9600), 1);
        EXPECT_EQ(second.LastOpenFailure().Why, OpenRefusal::None);
    }
}

}  // namespace
