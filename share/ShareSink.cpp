#include "share/ShareSink.h"

#include <chrono>

#include "link/session/CounterSession.h"
#include "share/ShareLine.h"

namespace {

int64_t UtcNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ShareSink::ShareSink(const CounterSession& session, ShareOptions options, Say say, Capacitors capacitors)
    : session_(session), options_(std::move(options)), say_(std::move(say)), capacitors_(std::move(capacitors))
{
}

ShareSink::~ShareSink()
{
    Close();
}

void ShareSink::OnRecords(std::span<const Reading> readings)
{
    if (!server_.HasClients())
        return;
    const std::optional<LogCapacitors> capacitors = capacitors_ ? capacitors_() : std::nullopt;
    for (const Reading& reading : readings)
        AppendReadingLine(lines_, RowFromRecord(reading.Record, reading.Stamp, capacitors));
    server_.Send(lines_, readings.front().Readable);
}

void ShareSink::OnReceiving(uint64_t /*connection*/)
{
    Open();
}

void ShareSink::OnEvent(SessionEvent event)
{
    switch (event) {
    case SessionEvent::NoData:
        SendEvent(kEventNoData);
        break;
    case SessionEvent::PortLost:
        SendEvent(kEventPortLost);
        CloseUnixSocket();
        break;
    case SessionEvent::PortBack:
        SendEvent(kEventPortBack);
        break;
    case SessionEvent::End:
        SendEvent(kEventEnd);
        Close();
        server_.CloseClients();
        break;
    }
}

void ShareSink::SendEvent(std::string_view event)
{
    if (!server_.HasClients())
        return;
    AppendEventLine(eventLine_, event, UtcNowMs());
    server_.Send(eventLine_);
}

void ShareSink::Open()
{
    if (!options_.Enabled)
        return;
    if (!open_)
        OpenUnixSocket();
    if (options_.TcpPort != 0 && !tcpListening_)
        OpenTcpPort();
}

void ShareSink::OpenUnixSocket()
{
    open_ = true;
    const std::string folder = options_.Folder.empty() ? ShareFolder() : options_.Folder;
    if (const std::string refused = PrepareShareFolder(folder); !refused.empty())
        return SayOnce(ShareNotice::FolderRefused, refused);
    const std::string path = SocketPathFor(folder, session_.OpenedPath());
    switch (place_.Open(path)) {
    case SharePlace::Result::Listening:
        if (const SysStatus served = server_.Listen(place_.TakeListener(), ShareServer::Transport::Unix))
            socketPath_ = path;
        else
            SayOnce(ShareNotice::SocketFailed, SocketFailureText({path, served.Error()}));
        break;
    case SharePlace::Result::Clash:
        SayOnce(ShareNotice::Clash, path);
        break;
    case SharePlace::Result::Failed:
        SayOnce(ShareNotice::SocketFailed, SocketFailureText(place_.Failure()));
        break;
    }
}

void ShareSink::OpenTcpPort()
{
    SocketOpened tcp = ListenOnLoopbackPort(options_.TcpPort);
    const std::string where = "127.0.0.1:" + std::to_string(options_.TcpPort) + ": ";
    if (!tcp.socket)
        return SayOnce(ShareNotice::TcpRefused, where + SocketFailureText(FailureOf(tcp, "")));
    if (const SysStatus served = server_.Listen(std::move(tcp.socket).Value(), ShareServer::Transport::Tcp); !served)
        return SayOnce(ShareNotice::TcpRefused, where + served.Error().Text());
    tcpListening_ = true;
}

void ShareSink::CloseUnixSocket()
{
    if (!open_)
        return;
    open_ = false;
    server_.StopListening(ShareServer::Transport::Unix);
    place_.Close();
    socketPath_.clear();
}

void ShareSink::Close()
{
    CloseUnixSocket();
    if (tcpListening_)
        server_.StopListening(ShareServer::Transport::Tcp);
    tcpListening_ = false;
}

void ShareSink::SayOnce(ShareNotice notice, const std::string& detail)
{
    const unsigned bit = 1u << static_cast<unsigned>(notice);
    if ((said_ & bit) != 0)
        return;
    said_ |= bit;
    if (say_)
        say_(notice, detail);
}
