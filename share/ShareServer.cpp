#include "share/ShareServer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>

#include "share/ShareClient.h"
#include "system/DescriptorWait.h"
#include "system/FileCalls.h"
#include "system/NamedThread.h"
#include "system/Sockets.h"

namespace {

constexpr int kAcceptsPerWake = 16;  // a flood of connects still lets the clients be served

}  // namespace

ShareServer::ShareServer() = default;

ShareServer::~ShareServer()
{
    if (!thread_.joinable())
        return;
    Hand([](Inbox& inbox) { inbox.quit = true; });
    thread_.join();
}

void ShareServer::Hand(const std::function<void(Inbox&)>& change)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        change(inbox_);
    }
    if (wake_)
        wake_.Value().Signal();
}

SysStatus ShareServer::Listen(UniqueFd listener, Transport transport)
{
    if (!wake_)
        return wake_.Error();
    if (!thread_.joinable()) {
        if (SysResult<UniqueFd> spare = ReserveDescriptor())
            spare_ = std::move(spare).Value();
        auto started = StartNamedThread(kThreadName, [this] { Run(); });
        if (!started)
            return started.Error();
        thread_ = std::move(started).Value();
    }
    Hand([&](Inbox& inbox) { inbox.listeners.push_back({std::move(listener), transport}); });
    return Done{};
}

void ShareServer::StopListening(Transport transport)
{
    // A listener handed over but not yet taken goes too.
    Hand([transport](Inbox& inbox) {
        std::erase_if(inbox.listeners, [transport](const Listener& l) { return l.transport == transport; });
        inbox.stopListening.push_back(transport);
    });
}

void ShareServer::CloseClients()
{
    Hand([](Inbox& inbox) { inbox.closeClients = true; });
}

void ShareServer::Send(std::string& lines, Clock::time_point since)
{
    bool wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wasEmpty = inbox_.batches.empty();
        inbox_.due = std::min(inbox_.due.value_or(Clock::time_point::max()), since + kGathering);
        inbox_.bytes += lines.size();
        if (!wasEmpty && inbox_.batches.back().size() + lines.size() <= kBatchBytes)
            inbox_.batches.back() += lines;
        else
            inbox_.batches.push_back(std::move(lines));
        // Should this thread ever fall that far behind, the oldest lines give way here too.
        while (inbox_.bytes > ShareClient::kQueueBytes && inbox_.batches.size() > 1) {
            const std::string& oldest = inbox_.batches.front();
            inbox_.dropped += static_cast<uint64_t>(std::count(oldest.begin(), oldest.end(), '\n'));
            inbox_.bytes -= oldest.size();
            inbox_.batches.pop_front();
        }
    }
    lines.clear();
    // While lines wait, the server's thread is already gathering.
    if (wasEmpty && wake_)
        wake_.Value().Signal();
}

bool ShareServer::TakeInbox(Clock::time_point now)
{
    Inbox taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (inbox_.due)
            gatherUntil_ = std::min(gatherUntil_.value_or(Clock::time_point::max()), *inbox_.due);
        inbox_.due.reset();
        const bool linesDue = (gatherUntil_ && now >= *gatherUntil_) || inbox_.closeClients;
        if (linesDue) {
            std::swap(taken.batches, inbox_.batches);
            std::swap(taken.dropped, inbox_.dropped);
            inbox_.bytes = 0;
            gatherUntil_.reset();
        }
        std::swap(taken.listeners, inbox_.listeners);
        std::swap(taken.stopListening, inbox_.stopListening);
        std::swap(taken.closeClients, inbox_.closeClients);
        taken.quit = inbox_.quit;
    }
    if (taken.quit)
        return false;
    for (std::string& batch : taken.batches)
        fresh_.push_back(std::make_shared<const std::string>(std::move(batch)));
    freshDropped_ = taken.dropped;
    for (const Transport transport : taken.stopListening)
        std::erase_if(listeners_, [transport](const Listener& l) { return l.transport == transport; });
    for (Listener& listener : taken.listeners)
        listeners_.push_back(std::move(listener));
    if (taken.closeClients) {
        for (auto& client : clients_) {
            for (const auto& batch : fresh_)
                client->Queue(batch, now);
            client->Write(now);
        }
        fresh_.clear();
        clients_.clear();
        clientCount_.store(0, std::memory_order_relaxed);
    }
    return true;
}

SysStatus ShareServer::AcceptOne(const Listener& listener)
{
    if (clients_.size() >= kMaxClients)
        return TakeAndClose(listener.fd.Get());
    SysResult<UniqueFd> fd = AcceptConnection(listener.fd.Get());
    if (!fd)
        return OutOfDescriptors(fd.Error()) ? TakeAndClose(listener.fd.Get()) : SysStatus(fd.Error());
    if (listener.transport == Transport::Unix && !PeerIsThisUser(fd.Value().Get()))
        return Done{};
    clients_.push_back(std::make_unique<ShareClient>(std::move(fd).Value(), listener.transport == Transport::Tcp));
    return Done{};
}

void ShareServer::Accept(const Listener& listener, Clock::time_point now)
{
    for (int i = 0; i < kAcceptsPerWake; ++i) {
        const SysStatus taken = AcceptOne(listener);
        if (taken || AcceptMayGoOn(taken.Error()))
            continue;
        // Anything else would fail again at once: the listeners rest instead of spinning.
        if (!WouldBlock(taken.Error()))
            restUntil_ = now + kAcceptRest;
        return;
    }
}

SysStatus ShareServer::TakeAndClose(int listener)
{
    spare_.Reset();
    SysStatus taken = Done{};
    if (const SysResult<UniqueFd> connection = AcceptConnection(listener); !connection)
        taken = connection.Error();
    // The connection is closed by now: the spare takes its descriptor back.
    if (SysResult<UniqueFd> spare = ReserveDescriptor())
        spare_ = std::move(spare).Value();
    return taken;
}

int ShareServer::PollTimeoutMs() const
{
    std::optional<Clock::time_point> due = gatherUntil_;
    if (restUntil_ && (!due || *restUntil_ < *due))
        due = restUntil_;
    for (const auto& client : clients_)
        if (client->HasUnsent() && (!due || client->StallDeadline() < *due))
            due = client->StallDeadline();
    if (!due)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count();
    return static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX));
}

void ShareServer::ServeClients(std::span<const Watched> events, bool timedOut)
{
    const auto now = Clock::now();
    for (size_t i = 0; i < clients_.size(); ++i) {
        ShareClient& client = *clients_[i];
        const Watched ready = i < events.size() ? events[i] : Watched{};
        bool alive = !ready.hungUp && (!ready.readable || client.DiscardInput());
        client.CountDropped(freshDropped_);
        for (const auto& batch : fresh_)
            client.Queue(batch, now);
        if (alive && (!fresh_.empty() || ready.writable || timedOut))
            alive = client.Write(now);
        if (!alive)
            clients_[i].reset();
    }
    fresh_.clear();
    freshDropped_ = 0;
    std::erase(clients_, nullptr);
}

void ShareServer::Run()
{
    std::vector<Watched> watched;
    std::vector<Watched> clientEvents;
    for (;;) {
        if (restUntil_ && Clock::now() >= *restUntil_)
            restUntil_.reset();
        watched.clear();
        watched.push_back({.fd = wake_.Value().Descriptor(), .read = true});
        for (const Listener& listener : listeners_)
            watched.push_back({.fd = restUntil_ ? -1 : listener.fd.Get(), .read = true});
        for (const auto& client : clients_)
            watched.push_back({.fd = client->Descriptor(), .read = client->InputOpen(), .write = client->HasUnsent()});
        const size_t firstClient = 1 + listeners_.size();
        const SysResult<int> ready = WaitForDescriptors(watched, PollTimeoutMs());
        if (!ready && ready.Error().Code != EINTR)
            return;
        if (watched[0].stirred)
            wake_.Value().Clear();
        if ((watched[0].stirred || gatherUntil_) && !TakeInbox(Clock::now()))
            return;
        clientEvents.assign(watched.begin() + static_cast<std::ptrdiff_t>(firstClient), watched.end());
        ServeClients(clientEvents, ready && ready.Value() == 0);
        const auto now = Clock::now();
        for (size_t i = 1; i < firstClient && i < watched.size(); ++i)
            if (watched[i].stirred && i - 1 < listeners_.size() && watched[i].fd == listeners_[i - 1].fd.Get())
                Accept(listeners_[i - 1], now);
        clientCount_.store(clients_.size(), std::memory_order_relaxed);
    }
}
