#pragma once

#include <functional>
#include <optional>
#include <string>

#include "link/sinks/RecordRow.h"
#include "link/session/SessionSink.h"
#include "share/SharePlace.h"
#include "share/ShareServer.h"

class CounterSession;

// What a program that shares its counter has to say, once each.
enum class ShareNotice {
    FolderRefused,  // the socket's folder is not this user's alone; detail says why
    Clash,          // another program serves the device; detail is the socket
    SocketFailed,   // the socket could not be made; detail says why
    TcpRefused,     // the TCP port could not be bound; detail says why
};

// How a program shares its counter: on by default; optionally also on TCP.
struct ShareOptions {
    bool Enabled = true;
    int TcpPort = 0;  // 0: no TCP
    std::string Folder;  // empty: ShareFolder()
};

// A session's readings served to other programs (ShareLine.h, ShareServer.h):
// the Unix socket exists while the session holds the port; the TCP port is
// listened on from the first connection to the end, also while a pulled
// adapter is awaited, so that no other program takes it meanwhile. On the receive thread,
// one look at the client count per read, and while nobody listens nothing
// else; with clients the read's lines go to the server in one batch.
class ShareSink : public SessionSink {
public:
    // Owner thread; detail in English, from the system.
    using Say = std::function<void(ShareNotice notice, const std::string& detail)>;
    // Asked on the receive thread once per read with clients: C1 and C2 for
    // the inductance; none leaves it null.
    using Capacitors = std::function<std::optional<LogCapacitors>()>;

    ShareSink(const CounterSession& session, ShareOptions options, Say say, Capacitors capacitors = {});
    ~ShareSink() override;

    void OnRecords(std::span<const Reading> readings) override;
    void OnReceiving(uint64_t connection) override;
    void OnEvent(SessionEvent event) override;

    // The socket served now; empty when none.
    const std::string& SocketPath() const { return socketPath_; }
    const ShareServer& Server() const { return server_; }

private:
    void Open();
    void OpenUnixSocket();
    void OpenTcpPort();
    void CloseUnixSocket();
    void Close();
    void SendEvent(std::string_view event);
    void SayOnce(ShareNotice notice, const std::string& detail);

    const CounterSession& session_;
    const ShareOptions options_;
    Say say_;
    Capacitors capacitors_;  // called on the receive thread only
    ShareServer server_;     // guards itself
    std::string lines_;      // the receive thread's; keeps its capacity
    std::string eventLine_;  // owner only
    // Owner only.
    SharePlace place_;
    std::string socketPath_;
    bool open_ = false;  // the Unix socket was tried for this connection
    bool tcpListening_ = false;
    unsigned said_ = 0;  // the notices said so far, one bit each
};
