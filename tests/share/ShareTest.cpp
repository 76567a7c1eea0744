#include "link/sinks/RecordRow.h"
#include "share/ShareLine.h"
#include "share/SharePlace.h"
#include "share/ShareServer.h"
#include "tests/link/ProcessProbes.h"
#include "tests/support/Nobody.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/resource.h>
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

int ConnectToPort(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

// Who holds a file or folder the rule looks at.
enum class Holder { Self, Nobody };

struct FolderRow {
    const char* Name;
    mode_t FolderMode;  // 0: missing, made by the serving end
    Holder FolderHolder;
    mode_t ParentMode;
    Holder ParentHolder;
    mode_t GrandparentMode;
    const char* Refusal;  // {folder}, {parent}, {grandparent}, {nobody} stand for their values
    bool FolderIsLink = false;  // to a folder of this user with mode 0700
};

class ShareFolderRule : public testing::TestWithParam<FolderRow> {};

std::string Filled(std::string text, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& [key, value] : values)
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

// The serving end (which makes the folder) and the attaching end refuse the same folders for the same reason.
TEST_P(ShareFolderRule, BothEndsRefuseWhatAnotherUserCouldMakeOrSwap)
{
    const FolderRow& row = GetParam();
    const passwd* nobody = Nobody();
    if (nobody == nullptr || ::getuid() != 0)
        GTEST_SKIP() << "needs root and a user nobody";
    TempDir top;
    const std::string grandparent = top.File("g");
    const std::string parent = grandparent + "/p";
    const std::string folder = parent + "/pelmora";
    std::filesystem::create_directories(parent);
    ::chmod(grandparent.c_str(), row.GrandparentMode);
    ::chmod(parent.c_str(), row.ParentMode);
    if (row.ParentHolder == Holder::Nobody) {
        ASSERT_EQ(::chown(parent.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    if (row.FolderIsLink) {
        ::mkdir(top.File("real").c_str(), 0700);
        std::filesystem::create_directory_symlink(top.File("real"), folder);
    } else if (row.FolderMode != 0) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ::chmod(folder.c_str(), row.FolderMode);
        if (row.FolderHolder == Holder::Nobody) {
            ASSERT_EQ(::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        }
    }
    const std::string expected = Filled(row.Refusal, {{"{folder}", folder},
                                                      {"{parent}", parent},
                                                      {"{grandparent}", grandparent},
                                                      {"{nobody}", std::to_string(nobody->pw_uid)}});
    EXPECT_EQ(PrepareShareFolder(folder), expected);
    EXPECT_EQ(ShareFolderRefusal(folder), expected);
    if (row.FolderMode == 0 && !row.FolderIsLink) {
        EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
    }
}

constexpr const char* kNotOwn = "{folder} is not a folder of this user with mode 0700";

INSTANTIATE_TEST_SUITE_P(
    Folders, ShareFolderRule,
    testing::Values(
        FolderRow{"MadeWhenMissing", 0, Holder::Self, 0755, Holder::Self, 0755, ""},
        FolderRow{"OwnInAStickyFolderOpenToAll", 0700, Holder::Self, 01777, Holder::Self, 0755, ""},
        FolderRow{"OpenToOthers", 0755, Holder::Self, 0755, Holder::Self, 0755, kNotOwn},
        FolderRow{"OfAnotherUser", 0700, Holder::Nobody, 01777, Holder::Self, 0755, kNotOwn},
        FolderRow{"LinkToAnOwnFolder", 0700, Holder::Self, 0755, Holder::Self, 0755, kNotOwn, true},
        FolderRow{"ParentWritableByAll", 0700, Holder::Self, 0777, Holder::Self, 0755,
                  "{parent} may be changed by another user (owner 0, mode 0777)"},
        FolderRow{"ParentWritableByItsGroup", 0700, Holder::Self, 0775, Holder::Self, 0755,
                  "{parent} may be changed by another user (owner 0, mode 0775)"},
        FolderRow{"ParentOfAnotherUser", 0700, Holder::Self, 0755, Holder::Nobody, 0755,
                  "{parent} may be changed by another user (owner {nobody}, mode 0755)"},
        FolderRow{"StickyParentOfAnotherUser", 0700, Holder::Self, 01777, Holder::Nobody, 0755,
                  "{parent} may be changed by another user (owner {nobody}, mode 1777)"},
        FolderRow{"GrandparentWritableByAll", 0700, Holder::Self, 0755, Holder::Self, 0777,
                  "{grandparent} may be changed by another user (owner 0, mode 0777)"}),
    kRowName);

// What may stand at the socket's path when the program ends.
enum class Meanwhile { Nothing, SocketRemoved, AnotherSocket, AnotherFile, FolderSwapped };

struct RemovalRow {
    const char* Name;
    Meanwhile Change;
    bool Removed;  // what stands at the path is gone at the end
};

class SharePlaceRemoval : public testing::TestWithParam<RemovalRow> {};

void BindSocketAt(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const UniqueFd other(::socket(AF_UNIX, SOCK_STREAM, 0));
    ASSERT_EQ(::bind(other.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
}

// At the end the program removes its own socket, and nothing another program put in its place.
TEST_P(SharePlaceRemoval, RemovesOnlyTheSocketItMade)
{
    const RemovalRow& row = GetParam();
    TempDir top;
    const std::string folder = top.File("pelmora");
    ASSERT_EQ(PrepareShareFolder(folder), "");
    const std::string path = folder + "/pts_9.sock";
    SharePlace place;
    ASSERT_EQ(place.Open(path), SharePlace::Result::Listening) << SocketFailureText(place.Failure());
    const UniqueFd listener = place.TakeListener();
    if (row.Change == Meanwhile::FolderSwapped) {
        std::filesystem::rename(folder, top.File("moved"));
        ASSERT_EQ(PrepareShareFolder(folder), "");
    } else if (row.Change != Meanwhile::Nothing) {
        std::filesystem::remove(path);
    }
    if (row.Change == Meanwhile::AnotherSocket || row.Change == Meanwhile::FolderSwapped)
        BindSocketAt(path);
    if (row.Change == Meanwhile::AnotherFile)
        top.Write("pelmora/pts_9.sock", "another program's");
    place.Close();
    EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(path)), !row.Removed);
    if (row.Change == Meanwhile::AnotherFile) {
        EXPECT_EQ(top.Read("pelmora/pts_9.sock"), "another program's");
    }
    if (row.Change == Meanwhile::FolderSwapped) {
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(top.File("moved/pts_9.sock"))))
            << "the socket moved away with its folder is out of reach by its path";
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, SharePlaceRemoval,
                         testing::Values(RemovalRow{"ItsOwnSocket", Meanwhile::Nothing, true},
                                         RemovalRow{"AlreadyGone", Meanwhile::SocketRemoved, true},
                                         RemovalRow{"AnotherSocketInItsPlace", Meanwhile::AnotherSocket, false},
                                         RemovalRow{"AnotherFileInItsPlace", Meanwhile::AnotherFile, false},
                                         RemovalRow{"TheFolderSwapped", Meanwhile::FolderSwapped, false}),
                         kRowName);

using Transport = ShareServer::Transport;

// A server on a Unix socket, s.sock in a folder of its own, and on a loopback TCP port of the system's choice.
struct Served {
    TempDir folder;
    SharePlace place;
    ShareServer server;
    int tcpPort = 0;

    Served()
    {
        EXPECT_EQ(place.Open(folder.File("s.sock")), SharePlace::Result::Listening);
        EXPECT_TRUE(server.Listen(place.TakeListener(), Transport::Unix));
        SocketOpened tcp = ListenOnLoopbackPort(0);
        EXPECT_TRUE(tcp.socket);
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        ::getsockname(tcp.socket.Value().Get(), reinterpret_cast<sockaddr*>(&bound), &length);
        tcpPort = ntohs(bound.sin_port);
        EXPECT_TRUE(server.Listen(std::move(tcp.socket).Value(), Transport::Tcp));
    }

    // A new client's descriptor; -1 when the connect failed.
    int Connect(Transport transport) const
    {
        return transport == Transport::Unix ? ConnectTo(folder.File("s.sock")) : ConnectToPort(tcpPort);
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
    if (Nobody() == nullptr)
        GTEST_SKIP() << "no user nobody";
    Served served;
    ::chmod(served.folder.Path().c_str(), 0755);
    ::chmod(served.folder.File("s.sock").c_str(), GetParam().SocketMode);
    const std::string path = served.folder.File("s.sock");
    const pid_t child = ::fork();
    if (child == 0) {
        if (!BecomeNobody())
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

struct ChurnRow {
    const char* Name;
    Transport Via;
    int Cycles;
};

class ShareChurn : public testing::TestWithParam<ChurnRow> {};

// Connects and closes, some with input, while no line flows, leave no descriptor behind:
// on TCP the end of a client's input ends it, as a close on the Unix socket does.
TEST_P(ShareChurn, LeavesNoDescriptor)
{
    Served served;
    const size_t before = OpenDescriptors();
    const std::string input(1000, 'q');
    for (int i = 0; i < GetParam().Cycles; ++i) {
        const UniqueFd client(served.Connect(GetParam().Via));
        ASSERT_TRUE(client.Valid());
        if (i % 10 == 0) {
            ASSERT_EQ(::write(client.Get(), input.data(), input.size()), ssize_t(input.size()));
        }
    }
    EXPECT_TRUE(WaitUntil([&] { return served.server.ClientCount() == 0 && OpenDescriptors() == before; }))
        << OpenDescriptors() << " open, " << before << " before";
}

INSTANTIATE_TEST_SUITE_P(Cycles, ShareChurn,
                         testing::Values(ChurnRow{"TenThousandOnTheUnixSocket", Transport::Unix, 10000},
                                         ChurnRow{"FiveHundredOnTcp", Transport::Tcp, 500}),
                         kRowName);

enum class ClientEnds { Closes, ShutsItsSendingSide };

struct ClientEndRow {
    const char* Name;
    Transport Via;
    ClientEnds End;
    bool Kept;
};

class ShareClientEnd : public testing::TestWithParam<ClientEndRow> {};

// While the counter is silent, a client whose input ended is let go at once,
// except on the Unix socket where one that only shut its sending side still gets its lines.
TEST_P(ShareClientEnd, LetGoOrKeptWithoutAWrite)
{
    const ClientEndRow& row = GetParam();
    Served served;
    UniqueFd client(served.Connect(row.Via));
    ASSERT_TRUE(client.Valid());
    ASSERT_TRUE(WaitUntil([&] { return served.server.ClientCount() == 1; }));
    if (row.End == ClientEnds::Closes)
        client.Reset();
    else
        ASSERT_EQ(::shutdown(client.Get(), SHUT_WR), 0);
    if (!row.Kept) {
        EXPECT_TRUE(WaitUntil([&] { return served.server.ClientCount() == 0; }));
        return;
    }
    std::string line = "{\"event\": \"no_data\"}\n";
    const std::string expected = line;
    served.server.Send(line);
    std::string received(expected.size(), '\0');
    ASSERT_EQ(::recv(client.Get(), received.data(), received.size(), MSG_WAITALL), ssize_t(expected.size()));
    EXPECT_EQ(received, expected);
    EXPECT_EQ(served.server.ClientCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ShareClientEnd,
    testing::Values(ClientEndRow{"TcpClose", Transport::Tcp, ClientEnds::Closes, false},
                    ClientEndRow{"TcpHalfCloseLooksTheSame", Transport::Tcp, ClientEnds::ShutsItsSendingSide, false},
                    ClientEndRow{"UnixClose", Transport::Unix, ClientEnds::Closes, false},
                    ClientEndRow{"UnixHalfCloseKeepsItsLines", Transport::Unix, ClientEnds::ShutsItsSendingSide, true}),
    kRowName);

// Many clients held by a child process (switched to nobody where asked), which
// writes the count of those the server closed to a pipe each time it changes.
class HeldClients {
public:
    HeldClients(const Served& served, Transport via, int count, bool asNobody)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        report_ = UniqueFd(fds[0]);
        child_ = ::fork();
        if (child_ == 0)
            ::_exit(Hold(served, via, count, asNobody, fds[1]));
        ::close(fds[1]);
        ::fcntl(report_.Get(), F_SETFL, O_NONBLOCK);
    }

    ~HeldClients()
    {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }

    // The latest count the child told; -1 before the first, or when it could not connect.
    int Closed()
    {
        int count = 0;
        while (::read(report_.Get(), &count, sizeof count) == ssize_t(sizeof count))
            closed_ = count;
        return closed_;
    }

private:
    static int Hold(const Served& served, Transport via, int count, bool asNobody, int report)
    {
        rlimit most{};
        ::getrlimit(RLIMIT_NOFILE, &most);
        most.rlim_cur = most.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &most);
        if (asNobody && !BecomeNobody())
            return 9;
        std::vector<pollfd> clients;
        for (int i = 0; i < count; ++i) {
            const int fd = served.Connect(via);
            if (fd < 0)
                return 8;
            clients.push_back({fd, POLLIN, 0});
        }
        int closed = 0;
        for (int told = -1;;) {
            if (closed != told && ::write(report, &closed, sizeof closed) != ssize_t(sizeof closed))
                return 7;
            told = closed;
            ::poll(clients.data(), clients.size(), -1);
            for (pollfd& client : clients) {
                char byte = 0;
                if (client.revents != 0 && ::read(client.fd, &byte, 1) <= 0) {
                    client.fd = -1;
                    ++closed;
                }
            }
        }
    }

    UniqueFd report_;
    pid_t child_ = -1;
    int closed_ = -1;
};

// The descriptor limit of this process lowered for a while.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        const rlimit lowered{limit, saved_.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

// The descriptor limit that leaves this process room for exactly room more descriptors.
rlim_t LimitLeaving(int room)
{
    std::vector<int> listed;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        listed.push_back(std::stoi(entry.path().filename().string()));
    std::set<int> open;
    for (const int fd : listed)
        if (::fcntl(fd, F_GETFD) != -1)
            open.insert(fd);
    int limit = 0;
    for (int free = 0; free < room; ++limit)
        free += open.contains(limit) ? 0 : 1;
    return static_cast<rlim_t>(limit);
}

// The state of one thread of this process ('S': asleep in a wait), read through a
// descriptor opened beforehand, so that it can be read when no descriptor is left.
class ThreadState {
public:
    explicit ThreadState(const std::string& name)
    {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::ifstream comm(task.path() / "comm");
            std::string taskName;
            if (std::getline(comm, taskName) && taskName == name)
                stat_ = UniqueFd(::open((task.path() / "stat").c_str(), O_RDONLY | O_CLOEXEC));
        }
    }

    char Now() const
    {
        char text[512];
        const ssize_t got = ::pread(stat_.Get(), text, sizeof text - 1, 0);
        const std::string_view stat(text, static_cast<size_t>(std::max<ssize_t>(got, 0)));
        const size_t end = stat.rfind(") ");
        return end == std::string_view::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
    }

private:
    UniqueFd stat_;
};

struct LimitRow {
    const char* Name;
    Transport Via;
    int Connections;
    int Room;  // descriptors left to the process; 0: its usual limit
    size_t Kept;  // 0: as many as the descriptors left allow, some fewer than came
};

class ShareClientLimit : public testing::TestWithParam<LimitRow> {};

// Past the cap on clients, or out of descriptors, a connection is taken and
// closed at once; none stays queued, and the server's thread goes back to sleep.
TEST_P(ShareClientLimit, ClosesWhatItCannotServeAndSleeps)
{
    const LimitRow& row = GetParam();
    if (Nobody() == nullptr || ::getuid() != 0)
        GTEST_SKIP() << "needs root and a user nobody";
    Served served;
    ASSERT_TRUE(WaitUntil([] { return ThreadCountNamed(ShareServer::kThreadName) == 1; }));
    const ThreadState serverThread(ShareServer::kThreadName);
    std::optional<DescriptorLimit> limit;
    // With room for the report pipe's two ends, which come next.
    if (row.Room != 0)
        limit.emplace(LimitLeaving(row.Room + 2));
    HeldClients held(served, row.Via, row.Connections, row.Via == Transport::Tcp);
    const auto allTaken = [&] {
        const int closed = held.Closed();
        const size_t kept = served.server.ClientCount();
        return closed > 0 && closed + static_cast<int>(kept) == row.Connections && (row.Kept == 0 || kept == row.Kept);
    };
    EXPECT_TRUE(WaitUntil(allTaken)) << held.Closed() << " closed, " << served.server.ClientCount() << " served";
    EXPECT_TRUE(WaitUntil([&] { return serverThread.Now() == 'S'; })) << "the server's thread does not wait";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ShareClientLimit,
    testing::Values(LimitRow{"SixtyFifthOnTcp", Transport::Tcp, 65, 0, ShareServer::kMaxClients},
                    LimitRow{"SixtyFifthOnTheUnixSocket", Transport::Unix, 65, 0, ShareServer::kMaxClients},
                    LimitRow{"OutOfDescriptors", Transport::Tcp, 40, 8, 0}),
    kRowName);

}  // namespace
