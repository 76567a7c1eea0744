#include "link/sinks/RecordRow.h"
#include "share/ShareLine.h"
#include "share/SharePlace.h"
#include "share/ShareServer.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct LineRow {
    const char* Name;
    const char* Record;
    LogTime Time;
    std::optional<LogCapacitors> Capacitors;
    const char* Csv;
    const char* Json;
};

class ShareLineFormat : public testing::TestWithParam<LineRow> {};

// The stream says what the log says about the same reading, field by field.
TEST_P(ShareLineFormat, SaysWhatTheLogSays)
{
    const LineRow& c = GetParam();
    const LogRow row = RowFromRecord(c.Record, c.Time, c.Capacitors);
    std::string line;
    AppendReadingLine(line, row);
    EXPECT_EQ(FormatLogRow(row), c.Csv);
    EXPECT_EQ(line, c.Json);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ShareLineFormat,
    testing::Values(
        LineRow{"GateAndNoInductance", "001 010 0010000000", {1765108800123, 12345678}, std::nullopt,
                "2025-12-07T12:00:00.123Z,12.345678,10000000,001,1.0,\r\n",
                "{\"utc\": \"2025-12-07T12:00:00.123Z\", \"t_s\": 12.345678, \"frequency_hz\": 10000000, "
                "\"prescaler\": \"001\", \"gate_s\": 1.0, \"inductance_uh\": null}\n"},
        LineRow{"UnknownGateIsNull", "  1 00x 0000000050", {0, 5}, std::nullopt,
                "1970-01-01T00:00:00.000Z,0.000005,50,  1,,\r\n",
                "{\"utc\": \"1970-01-01T00:00:00.000Z\", \"t_s\": 0.000005, \"frequency_hz\": 50, "
                "\"prescaler\": \"  1\", \"gate_s\": null, \"inductance_uh\": null}\n"},
        LineRow{"InductanceAndQuotedPrescaler", "1\"2 995 0000159155", {0, 0}, LogCapacitors{0.001, 0.001},
                "1970-01-01T00:00:00.000Z,0.000000,159155,\"1\"\"2\",99.5,1999.9985697440989\r\n",
                "{\"utc\": \"1970-01-01T00:00:00.000Z\", \"t_s\": 0.000000, \"frequency_hz\": 159155, "
                "\"prescaler\": \"1\\\"2\", \"gate_s\": 99.5, \"inductance_uh\": 1999.9985697440989}\n"}),
    kRowName);

TEST(ShareLineFormat, EventLines)
{
    std::string lines;
    AppendEventLine(lines, kEventPortLost, 0);
    AppendEventLine(lines, kEventDropped, 1000, 42);
    EXPECT_EQ(lines, "{\"event\": \"port_lost\", \"utc\": \"1970-01-01T00:00:00.000Z\"}\n"
                     "{\"event\": \"dropped\", \"utc\": \"1970-01-01T00:00:01.000Z\", \"count\": 42}\n");
}

int ConnectTo(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A socket of a program that ended is replaced; one of a running program is not.
TEST(SharePlace, StaleSocketIsReplacedAndALiveOneClashes)
{
    TempDir folder;
    const std::string path = folder.File("pts_9.sock");
    {
        // What a program that crashed leaves: the socket file, nobody listening, the lock free.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const UniqueFd dead(::socket(AF_UNIX, SOCK_STREAM, 0));
        ASSERT_EQ(::bind(dead.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    ASSERT_EQ(ConnectTo(path), -1);
    SharePlace place;
    ASSERT_EQ(place.Open(path), SharePlace::Result::Listening) << SocketFailureText(place.Failure());
    const UniqueFd listener = place.TakeListener();
    const UniqueFd client(ConnectTo(path));
    EXPECT_TRUE(client.Valid());
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    SharePlace second;
    EXPECT_EQ(second.Open(path), SharePlace::Result::Clash);
    place.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

// What the user reads after "The readings are not shared: ".
TEST(SharePlace, FailureNamesThePathOrTheCall)
{
    TempDir folder;
    const std::string tooLong = folder.File(std::string(kUnixPathRoom, 'x') + ".sock");
    const std::string unlocked = folder.File("none/ttyUSB0.sock");
    const struct {
        std::string path;
        std::string text;
    } cases[] = {{tooLong, tooLong + ": the path is too long"},
                 {unlocked, unlocked + ".lock: No such file or directory"}};
    for (const auto& c : cases) {
        SharePlace place;
        EXPECT_EQ(place.Open(c.path), SharePlace::Result::Failed);
        EXPECT_EQ(SocketFailureText(place.Failure()), c.text);
    }
}

TEST(SharePlace, FolderOfThisUserAloneOnly)
{
    TempDir folder;
    EXPECT_EQ(PrepareShareFolder(folder.File("made")), "");
    EXPECT_EQ(std::filesystem::status(folder.File("made")).permissions(), std::filesystem::perms::owner_all);
    ::chmod(folder.File("made").c_str(), 0755);
    EXPECT_EQ(PrepareShareFolder(folder.File("made")),
              folder.File("made") + " is not a folder of this user with mode 0700");
}

struct Served {
    TempDir folder;
    SharePlace place;
    ShareServer server;

    Served()
    {
        EXPECT_EQ(place.Open(folder.File("s.sock")), SharePlace::Result::Listening);
        EXPECT_TRUE(server.Listen(place.TakeListener(), true));
    }
};

struct PermissionRow {
    const char* Name;
    mode_t SocketMode;
    int Expected;  // 0: refused at connect, 1: connected but let go at once
};

class ShareAnotherUser : public testing::TestWithParam<PermissionRow> {};

// nobody cannot connect, and were the socket open to all, the server would let it go.
TEST_P(ShareAnotherUser, GetsNoReadings)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        GTEST_SKIP() << "no user nobody";
    Served served;
    ::chmod(served.folder.Path().c_str(), 0755);
    ::chmod(served.folder.File("s.sock").c_str(), GetParam().SocketMode);
    const std::string path = served.folder.File("s.sock");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(9);
        const int fd = ConnectTo(path);
        char byte = 0;
        ::_exit(fd < 0 ? 0 : ::read(fd, &byte, 1) == 0 ? 1 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Permission, ShareAnotherUser,
                         testing::Values(PermissionRow{"SocketOfThisUser", 0600, 0},
                                         PermissionRow{"SocketOpenToAll", 0666, 1}),
                         kRowName);

std::string Numbered(int from, int count)
{
    std::string lines;
    for (int i = from; i < from + count; ++i)
        lines += std::to_string(i) + " " + std::string(100, 'x') + "\n";
    return lines;
}

// A client that reads nothing loses the oldest lines, and is told how many where they went missing.
TEST(ShareServer, SlowClientLosesOldestLinesAndIsToldHowMany)
{
    Served served;
    const UniqueFd client(ConnectTo(served.folder.File("s.sock")));
    ASSERT_TRUE(WaitUntil([&] { return served.server.ClientCount() == 1; }));
    constexpr int kBatch = 100;
    constexpr int kBatches = 800;  // 8 MB: twice the queue
    for (int b = 0; b < kBatches; ++b) {
        std::string lines = Numbered(b * kBatch, kBatch);
        served.server.Send(lines);
    }
    std::string received;
    char chunk[65536];
    const std::string last = std::to_string(kBatch * kBatches - 1) + " ";
    while (received.find("\n" + last) == std::string::npos) {
        const ssize_t got = ::read(client.Get(), chunk, sizeof chunk);
        ASSERT_GT(got, 0);
        received.append(chunk, static_cast<size_t>(got));
    }
    // Every line is there in order, or counted in the notice that stands where it went missing.
    uint64_t expected = 0;
    uint64_t notices = 0;
    for (size_t at = 0; at < received.size(); at = received.find('\n', at) + 1) {
        if (received.compare(at, 19, "{\"event\": \"dropped\"") == 0) {
            expected += std::stoull(received.substr(received.find("\"count\": ", at) + 9));
            ++notices;
        } else {
            ASSERT_EQ(std::stoull(received.substr(at)), expected++);
        }
    }
    EXPECT_EQ(expected, uint64_t{kBatch * kBatches});
    EXPECT_GE(notices, 1u);
}

size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Ten thousand connects and closes, some with input, leave no descriptor behind.
TEST(ShareServer, ChurnLeavesNoDescriptor)
{
    Served served;
    const size_t before = OpenDescriptors();
    const std::string input(1000, 'q');
    for (int i = 0; i < 10000; ++i) {
        const UniqueFd client(ConnectTo(served.folder.File("s.sock")));
        ASSERT_TRUE(client.Valid());
        if (i % 10 == 0) {
            ASSERT_EQ(::write(client.Get(), input.data(), input.size()), ssize_t(input.size()));
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return served.server.ClientCount() == 0 && OpenDescriptors() == before; }))
        << OpenDescriptors() << " open, " << before << " before";
}

}  // namespace
