#include "tools/logger/AttachSource.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "log/LogClock.h"

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kLongestLine = 4096;  // longer is no line of the stream

std::optional<double> Number(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

bool RowOf(const QJsonObject& object, LogRow& row)
{
    const auto elapsedS = Number(object, "t_s");
    const auto frequency = Number(object, "frequency_hz");
    const auto gate = Number(object, "gate_s");
    const QJsonValue prescaler = object.value(QLatin1String("prescaler"));
    if (!elapsedS || !frequency || *frequency < 0 || *frequency > 4294967295.0 || !prescaler.isString() ||
        !ParseUtcMs(object.value(QLatin1String("utc")).toString().toStdString(), row.utcMs))
        return false;
    row.elapsedUs = std::llround(*elapsedS * 1e6);
    row.frequencyHz = static_cast<uint32_t>(*frequency);
    row.prescaler = prescaler.toString().toLatin1().toStdString();
    row.gateMs.reset();
    if (gate && *gate >= 0)
        row.gateMs = static_cast<uint32_t>(std::llround(*gate * 1000.0));
    row.inductanceUh = Number(object, "inductance_uh");
    return true;
}

}  // namespace

AttachSource::~AttachSource()
{
    Stop();
}

bool AttachSource::Connect(const std::string& socketPath, std::string& error)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return error = "the path is too long", false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    socket_.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket_.Valid() ||
        ::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = std::strerror(errno);
        socket_.Reset();
        return false;
    }
    return true;
}

void AttachSource::Start(Rows rows, Event event)
{
    rows_ = std::move(rows);
    event_ = std::move(event);
    thread_ = std::thread([this] { Run(); });
}

void AttachSource::Stop()
{
    if (!thread_.joinable())
        return;
    stop_.Signal();
    thread_.join();
}

bool AttachSource::ParseLine(std::string_view line, LogRow& row, std::string& event, uint64_t& count)
{
    event.clear();
    count = 0;
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromRawData(line.data(), static_cast<qsizetype>(line.size()))).object();
    if (object.contains(QLatin1String("event"))) {
        event = object.value(QLatin1String("event")).toString().toStdString();
        count = static_cast<uint64_t>(object.value(QLatin1String("count")).toDouble());
        return false;
    }
    return RowOf(object, row);
}

void AttachSource::HandLines(std::string& pending)
{
    size_t start = 0;
    std::string event;
    uint64_t count = 0;
    for (size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
        LogRow row;
        if (ParseLine(std::string_view(pending).substr(start, end - start), row, event, count))
            batch_.push_back(std::move(row));
        else if (!event.empty())
            event_(event, count);
        start = end + 1;
    }
    pending.erase(0, start);
    if (pending.size() > kLongestLine)
        pending.clear();
    if (!batch_.empty())
        rows_(batch_);
    batch_.clear();
}

void AttachSource::Run()
{
    std::string pending;
    std::vector<char> chunk(kReadChunk);
    pollfd watched[2] = {{socket_.Get(), POLLIN, 0}, {stop_.Descriptor(), POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0 && errno != EINTR)
            break;
        if (watched[1].revents != 0)
            return;
        if (watched[0].revents == 0)
            continue;
        const ssize_t got = ::read(socket_.Get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        pending.append(chunk.data(), static_cast<size_t>(got));
        HandLines(pending);
    }
    event_("end", 0);
}
