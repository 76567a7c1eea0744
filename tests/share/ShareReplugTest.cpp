#include "display/Readout.h"
#include "link/window/CounterLink.h"
#include "share/ShareSink.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tools/simulator/CounterPty.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kPort = 7;
constexpr int kBaud9600 = 6;
constexpr const char* kStableName = "usb-Counter_A1-if00-port0";
// How soon after the adapter's return a TCP client must have the readings.
constexpr std::chrono::milliseconds kAfterReturn{3000};

std::string Records(uint32_t from, uint32_t to)
{
    std::string records;
    char line[32];
    for (uint32_t f = from; f <= to; ++f) {
        std::snprintf(line, sizeof line, "001 010 %010u\r\n", f);
        records += line;
    }
    return records;
}

// Made under a temporary name and renamed into place, as udev makes its links.
void LinkAsUdev(const fs::path& target, const fs::path& link)
{
    const fs::path temporary = link.parent_path() / (".tmp-" + link.filename().string());
    fs::create_symlink(target, temporary);
    fs::rename(temporary, link);
}

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A loopback port nobody listens on now.
int FreePort()
{
    const UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    ::bind(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// A reader of the stream on TCP that gathers what came without blocking.
class TcpReader {
public:
    bool Connect(int port)
    {
        fd_ = UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const sockaddr_in address = Loopback(port);
        return ::connect(fd_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }

    bool Received(const std::string& text)
    {
        char chunk[4096];
        for (ssize_t got; (got = ::recv(fd_.Get(), chunk, sizeof chunk, MSG_DONTWAIT)) > 0;)
            received_.append(chunk, static_cast<size_t>(got));
        return received_.find(text) != std::string::npos;
    }

private:
    UniqueFd fd_;
    std::string received_;
};

enum class Joins { BeforeThePull, WhileAway, AfterTheReturn };

struct ReplugRow {
    const char* Name;
    Joins When;
    bool PortTried;  // another program tries to listen on the TCP port while the adapter is away
};

class ShareReplug : public testing::TestWithParam<ReplugRow> {};

// The TCP port is listened on through a pulled adapter, the Unix socket is not;
// a TCP client, whenever it came, has the readings soon after the adapter is back.
TEST_P(ShareReplug, TcpClientHasTheReadingsAfterTheReturn)
{
    const ReplugRow& row = GetParam();
    TempDir dir;
    const fs::path opened = fs::path(dir.Path()) / "ttyX";
    const fs::path byId = fs::path(dir.Path()) / "serial" / "by-id";
    fs::create_directories(byId);
    CounterPty first;
    LinkAsUdev(first.SlavePath(), opened);
    LinkAsUdev(first.SlavePath(), byId / kStableName);
    dir.Write("Pelmora.ini", "[Port]\nCOM7=" + opened.string() + "\n");
    const int port = FreePort();
    std::vector<std::string> said;
    std::optional<ShareSink> share;  // outlives the link's session
    Readout readout;
    CounterLink link(readout, dir.File("Pelmora.ini"),
                     NameFolders(byId.string(), dir.File("serial/by-path"), dir.File("sys")));
    share.emplace(link.Session(), ShareOptions{true, port, dir.File("share")},
                  [&said](ShareNotice, const std::string& detail) { said.push_back(detail); });
    link.AddSink(*share);
    QObject::connect(&link, &CounterLink::RecordsWaiting, [&link] { link.TakeRecords(); });

    ASSERT_TRUE(link.Connect(kPort, kBaud9600));
    ASSERT_TRUE(WaitUntil([&] { return !share->SocketPath().empty(); }));
    const std::string unixSocket = share->SocketPath();
    TcpReader client;
    if (row.When == Joins::BeforeThePull) {
        ASSERT_TRUE(client.Connect(port));
    }

    fs::remove(opened);
    fs::remove_all(byId);
    first.HangUp();
    ASSERT_TRUE(WaitUntil([&] { return link.IsAwaitingDevice() && !fs::exists(unixSocket); }))
        << "the Unix socket stays while the adapter is away";
    std::optional<SocketOpened> other;
    if (row.PortTried) {
        other.emplace(ListenOnLoopbackPort(port));
        EXPECT_FALSE(other->socket) << "another program took the port while the adapter was away";
    }
    if (row.When == Joins::WhileAway) {
        ASSERT_TRUE(client.Connect(port));
    }

    CounterPty second;
    fs::create_directories(byId);
    LinkAsUdev(second.SlavePath(), byId / kStableName);
    LinkAsUdev(second.SlavePath(), opened);
    const auto back = std::chrono::steady_clock::now();
    if (row.When == Joins::AfterTheReturn) {
        ASSERT_TRUE(client.Connect(port));
    }
    // The readings from its acceptance on are its own.
    ASSERT_TRUE(WaitUntil([&] { return share->Server().ClientCount() == 1; }));
    ASSERT_TRUE(second.Write(Records(2001, 2020))) << "the adapter was not opened again";
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(back + kAfterReturn -
                                                                            std::chrono::steady_clock::now());
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.Received("\"frequency_hz\": 2020,"); },
                                static_cast<int>(std::max<int64_t>(left.count(), 0))));
    // Named after the returned device, which may be another pseudo-terminal.
    EXPECT_TRUE(WaitUntil([&] { return !share->SocketPath().empty() && fs::exists(share->SocketPath()); }))
        << "the Unix socket is back with the adapter";
    EXPECT_EQ(said, std::vector<std::string>{});
    link.Disconnect();
}

INSTANTIATE_TEST_SUITE_P(Returns, ShareReplug,
                         testing::Values(ReplugRow{"ClientFromBefore", Joins::BeforeThePull, false},
                                         ReplugRow{"ClientWhileAway", Joins::WhileAway, false},
                                         ReplugRow{"ClientAfterTheReturn", Joins::AfterTheReturn, false},
                                         ReplugRow{"PortTriedWhileAwayClientFromBefore", Joins::BeforeThePull, true},
                                         ReplugRow{"PortTriedWhileAwayClientAfterTheReturn", Joins::AfterTheReturn,
                                                   true}),
                         kRowName);

}  // namespace
