#include "tools/simulator/CounterSimulator.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>

#include "tools/simulator/PacketPacer.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

bool ToNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 0;
}

template <class T>
std::function<bool(double)> Set(T& field)
{
    return [&field](double value) {
        field = static_cast<T>(value);
        return true;
    };
}

std::map<std::string, std::function<bool(double)>> NumericOptions(SimulatorOptions& o)
{
    auto& g = o.Generator;
    return {
        {"--baud", [&o](double v) { o.Baud = static_cast<uint32_t>(v); return v >= 1; }},
        {"--rate", [&o](double v) { o.RecordsPerSecond = v; return v > 0; }},
        {"--burst", [&o](double v) { o.BurstBytes = static_cast<std::size_t>(v); return v >= 1; }},
        {"--frequency", Set(g.Frequency)},
        {"--gate", [&g](double v) { g.GateTenths = static_cast<int>(v * 10 + 0.5); return v < 100; }},
        {"--prescaler", [&g](double v) { g.Prescaler = static_cast<int>(v); return v < 1000; }},
        {"--sweep-end", Set(g.SweepEnd)},
        {"--sweep-step", Set(g.SweepStep)},
        {"--wander-span", Set(g.WanderSpan)},
        {"--garbage-every", Set(g.GarbageEvery)},
        {"--long-line-every", Set(g.LongLineEvery)},
        {"--seed", Set(g.Seed)},
        {"--count", Set(o.Count)},
        {"--pause-every", Set(o.PauseEvery)},
        {"--pause-seconds", Set(o.PauseSeconds)},
        {"--hangup-after", Set(o.HangUpAfter)},
        {"--com", [&o](double v) { o.ComNumber = static_cast<int>(v); return v >= 1; }},
    };
}

bool ParseMode(const std::string& text, GeneratorOptions::Mode& mode)
{
    static const std::map<std::string, GeneratorOptions::Mode> modes = {
        {"fixed", GeneratorOptions::Mode::Fixed},
        {"sweep", GeneratorOptions::Mode::Sweep},
        {"wander", GeneratorOptions::Mode::Wander}};
    const auto found = modes.find(text);
    if (found == modes.end())
        return false;
    mode = found->second;
    return true;
}

Clock::duration PaceFor(const SimulatorOptions& options, std::size_t bytes)
{
    const double seconds = options.RecordsPerSecond > 0
                               ? 1.0 / options.RecordsPerSecond
                               : static_cast<double>(bytes) * 10.0 / options.Baud;
    return std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

// Writes each packet when it is due; false when a write cannot be made.
bool Deliver(CounterPty& pty, const std::vector<PacketPacer::Packet>& packets,
             const std::atomic<bool>& stop)
{
    for (const PacketPacer::Packet& packet : packets) {
        if (packet.bytes.empty())
            continue;
        std::this_thread::sleep_until(packet.due);
        if (!pty.Write(packet.bytes, std::chrono::hours(24), &stop))
            return false;
    }
    return true;
}

}  // namespace

bool ParseSimulatorOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                           std::string& error)
{
    auto numeric = NumericOptions(options);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            options.Help = true;
            continue;
        }
        if (name != "--mode" && name != "--ini" && !numeric.contains(name)) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        double number = 0;
        bool ok = false;
        if (name == "--mode")
            ok = ParseMode(value, options.Generator.FrequencyMode);
        else if (name == "--ini")
            ok = !(options.IniPath = value).empty();
        else
            ok = ToNumber(value, number) && numeric.at(name)(number);
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    return true;
}

uint64_t RunSimulator(CounterPty& pty, const SimulatorOptions& options,
                      const std::atomic<bool>& stop)
{
    RecordGenerator generator(options.Generator);
    PacketPacer pacer(options.BurstBytes);
    uint64_t sent = 0;
    auto due = Clock::now();
    while (!stop.load() && (options.Count == 0 || sent < options.Count)) {
        const std::string bytes = generator.Next();
        const Clock::duration length = PaceFor(options, bytes.size());
        if (!Deliver(pty, pacer.Add(bytes, due, length), stop))
            break;
        ++sent;
        due += length;
        const bool pausing =
            options.PauseEvery > 0 && sent % static_cast<uint64_t>(options.PauseEvery) == 0;
        const bool hangingUp = options.HangUpAfter > 0 && sent >= options.HangUpAfter;
        const bool silent = pausing || hangingUp || sent == options.Count;
        if (silent && !Deliver(pty, {{due, pacer.Flush()}}, stop))
            break;
        if (pausing)
            due += std::chrono::duration_cast<Clock::duration>(Seconds(options.PauseSeconds));
        if (hangingUp) {
            pty.HangUp();
            break;
        }
        std::this_thread::sleep_until(due);
    }
    return sent;
}
