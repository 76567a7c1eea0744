#include "tools/logger/AttachSource.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cerrno>
#include <cmath>

#include "log/LogClock.h"
#include "system/DescriptorWait.h"
#include "system/FileCalls.h"
#include "system/NamedThread.h"

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

ShareConnection::Reach AttachSource::Connect(const std::string& socketPath, std::string& why)
{
    auto stop = WakeEvent::Create();
    if (!stop) {
        why = "eventfd: " + stop.Error().Text();
        return ShareConnection::Reach::NobodyServes;
    }
    ShareConnection connected = ConnectToShare(socketPath);
    why = std::move(connected.why);
    if (connected.reach == ShareConnection::Reach::Connected) {
        socket_ = std::move(connected.socket);
        stop_ = std::move(stop).Value();
    }
    return connected.reach;
}

SysStatus AttachSource::Start(Rows rows, Event event)
{
    rows_ = std::move(rows);
    event_ = std::move(event);
    // Connect made the wake event; only a missing thread is left to fail.
    auto started = StartNamedThread("pelmora-attach", [this] { Run(); });
    if (!started)
        return started.Error();
    thread_ = std::move(started).Value();
    return Done{};
}

void AttachSource::Stop()
{
    if (!thread_.joinable())
        return;
    stop_->Signal();
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
            Tell(event, count);
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
    std::array<Watched, 2> watched{{{.fd = socket_.Get(), .read = true}, {.fd = stop_->Descriptor(), .read = true}}};
    for (;;) {
        if (const SysResult<int> ready = WaitForDescriptors(watched, -1); !ready && ready.Error().Code != EINTR)
            break;
        if (watched[1].stirred)
            return;
        if (!watched[0].stirred)
            continue;
        const SysResult<size_t> got = ReadSome(socket_.Get(), chunk);
        if (!got || got.Value() == 0)
            break;
        pending.append(chunk.data(), got.Value());
        HandLines(pending);
    }
    event_(ended_ ? kEnd : kBrokenOff, 0);
}

void AttachSource::Tell(const std::string& event, uint64_t count)
{
    ended_ = ended_ || event == kEnd;
    event_(event, count);
}
