#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <QTranslator>

#include "app/Translation.h"
#include "link/port/CSerialPort.h"
#include "link/port/OpenFailureText.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TempDir.h"
#include "tools/simulator/CounterPty.h"

namespace {

constexpr int kPort = 3;
const std::string kDevice = "/dev/ttyUSB0";
const std::string kJoin = ": permission denied. Members of group dialout may use it: join it with "
                          "\"sudo usermod -aG dialout $USER\", then log out and log in again.";

const std::string kLock = "/var/lock/LCK..ttyUSB0";
const std::string kMarkLeft = " is marked exclusive, though no lock names a holder and no program of yours has it "
                              "open: unless a program of another user holds it, a program that ended left the mark. "
                              "Unplugging the adapter clears it (for a pseudo-terminal, ending the program that holds "
                              "its other side), and so does opening it once with Pelmora as root.";

// The texts are Japanese; the rows read them through the English translation.
TEST(OpenFailureText, NamesTheDeviceAndWhatToDo)
{
    using R = OpenRefusal;
    EXPECT_EQ(OpenFailureText({R::Other, 0, kDevice, kPort, {}, {}, {}, {}, {}, {}}, {}), kDevice + " を開けませんでした。");
    const auto english = InstallTranslation("en");
    const struct {
        OpenRefusal Why;
        DeviceFacts Device;  // owner root in every row
        std::optional<long> Holder;
        std::string Expected;  // after the device path where it starts with ':' or ' '
        std::string HolderName = {}, Mapping = {};
        int32_t Port = kPort;  // 0: a device path was opened (pelmora-log)
        std::string LockOwner = {};
    } rows[] = {
        {R::PermissionDenied, {true, "root", "dialout", 20, 'c', 0660}, {}, kJoin},
        {R::PermissionDenied, {true, "root", "dialout", 20, 'c', 0620}, {},
         ": permission denied (owner root, group dialout, mode crw--w----)."},
        {R::PermissionDenied, {true, "root", "tty", 5, 'c', 0660}, {},
         ": permission denied (owner root, group tty, mode crw-rw----)."},
        {R::PermissionDenied, {}, {}, ": permission denied."},
        {R::NoSuchDevice, {}, {}, " does not exist: is the counter plugged in? A line COM3=<device> "
                                  "in [Port] of /p/Pelmora.ini maps COM3 to any device."},
        {R::NoSuchDevice, {}, {}, " does not exist: is the counter plugged in? The line COM3=/dev/ttyUSB0 "
                                  "in [Port] of /p/Pelmora.ini maps COM3 to it.", "", kDevice},
        {R::HeldByAnother, {}, 42, " is in use by another program (PID 42): close it, then connect again."},
        {R::HeldByAnother, {}, 42, " is in use by minicom (PID 42): close it, then connect again.", "minicom"},
        {R::NotATerminal, {}, {},
         " is not a serial port: point COM3= in [Port] of /p/Pelmora.ini at the counter's device."},
        {R::NotATerminal, {}, {}, " is not a serial port.", "", "", 0},
        {R::NoSuchDevice, {}, {}, " does not exist: is the counter plugged in?", "", "", 0},
        {R::Other, {}, {}, ": Input/output error."},
        {R::NoDeviceMapped, {}, {}, "COM3 has no device: add a line COM3=<device> to [Port] of /p/Pelmora.ini."},
        {R::None, {}, {}, ""},
        {R::LockNotAFile, {}, {}, " cannot be locked: " + kLock + " is no lock file but a folder or a special file. "
                                  "Remove it, then connect again."},
        {R::StaleLockStays, {}, {}, " is not in use, but the lock file " + kLock + " that an ended program left "
                                    "belongs to uucp and cannot be removed: remove it with \"sudo rm " + kLock +
                                    "\", then connect again.", "", "", kPort, "uucp"},
        {R::ExclusiveMarkLeft, {}, {}, kMarkLeft},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Expected);
        const OpenFailure failure{row.Why,        EIO,         kDevice, row.Port, "/p/Pelmora.ini", row.Holder,
                                  row.HolderName, row.Mapping, kLock,   row.LockOwner};
        const bool named = row.Expected.starts_with(':') || row.Expected.starts_with(' ');
        EXPECT_EQ(OpenFailureText(failure, row.Device), (named ? kDevice : "") + row.Expected);
    }
}

// Root passes every permission bit, so the opens run as an ordinary user.
TEST(OpenFailure, DeniedDeviceTellsWhoMayUseIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "setting a device's group needs root";
    const struct {
        bool Pty;  // else a plain file
        gid_t Group;
        mode_t Mode;
        std::string Expected;
    } rows[] = {{true, 5, 0, ": permission denied (owner root, group tty, mode c---------)."},
                {true, 20, 0660, kJoin},
                {false, 0, 0, ": permission denied (owner root, group root, mode ----------)."}};
    for (const auto& row : rows) {
        TempDir dir;
        std::filesystem::permissions(dir.Path(), std::filesystem::perms(0755));  // the user reads the ini
        CounterPty pty;
        const std::string device = row.Pty ? pty.SlavePath() : dir.File("tty");
        std::ofstream(dir.File("tty")) << "not a terminal";
        ASSERT_EQ(::chown(device.c_str(), 0, row.Group), 0);
        ASSERT_EQ(::chmod(device.c_str(), row.Mode), 0);
        CSerialPort port(WritePortIni(dir, kPort, device), dir.File("no-lock-folder"));
        const auto english = InstallTranslation("en");
        {
            const UnprivilegedFiles user;
            ASSERT_TRUE(user.Available());
            EXPECT_EQ(port.Open(kPort, 9600), 0);
        }
        EXPECT_EQ(port.LastOpenFailure().Error, EACCES);
        EXPECT_EQ(DescribeOpenFailure(port.LastOpenFailure()), device + row.Expected);
    }
}

TEST(OpenFailure, HeldPortNamesTheHolderByItsLockFileOrItsFlock)
{
    for (const bool sameLockFolder : {true, false}) {
        TempDir dir;
        CounterPty pty;
        const std::string ini = WritePortIni(dir, kPort, pty.SlavePath());
        CSerialPort first(ini, dir.Path());
        ASSERT_EQ(first.Open(kPort, 9600), 1);
        CSerialPort second(ini, sameLockFolder ? dir.Path() : dir.File("other"));
        const auto english = InstallTranslation("en");
        EXPECT_EQ(second.Open(kPort, 9600), 0);
        // Without the lock file, the flock names the holder.
        EXPECT_EQ(DescribeOpenFailure(second.LastOpenFailure()),
                  pty.SlavePath() + " is in use by test_link (PID " + std::to_string(::getpid()) +
                      "): close it, then connect again.");
        first.Close();
        ASSERT_EQ(second.Open(kPort, 9600), 1);
        EXPECT_EQ(second.LastOpenFailure().Why, OpenRefusal::None);
    }
}

}  // namespace
