#include "tools/simulator/RecordGenerator.h"

#include <algorithm>
#include <cstdio>

std::string FormatRecord(int prescaler, int gateTenths, uint32_t frequency)
{
    char line[32];
    std::snprintf(line, sizeof line, "%03d %03d %010u\r\n", std::clamp(prescaler, 0, 999),
                  std::clamp(gateTenths, 0, 999), std::min<uint32_t>(frequency, 999999999u));
    return line;
}

RecordGenerator::RecordGenerator(const GeneratorOptions& options)
    : options_(options), random_(options.Seed), sweep_(options.Frequency)
{
}

std::string RecordGenerator::Next()
{
    ++made_;
    std::string bytes;
    if (options_.GarbageEvery > 0 && made_ % static_cast<uint64_t>(options_.GarbageEvery) == 0)
        bytes += Garbage();
    if (options_.LongLineEvery > 0 && made_ % static_cast<uint64_t>(options_.LongLineEvery) == 0)
        bytes += std::string(300, '7') + "\r\n";
    last_ = NextFrequency();
    bytes += FormatRecord(options_.Prescaler, options_.GateTenths, last_);
    return bytes;
}

uint32_t RecordGenerator::NextFrequency()
{
    switch (options_.FrequencyMode) {
    case GeneratorOptions::Mode::Fixed:
        return options_.Frequency;
    case GeneratorOptions::Mode::Sweep: {
        const uint32_t now = sweep_;
        const uint64_t next = uint64_t{sweep_} + options_.SweepStep;
        sweep_ = next > options_.SweepEnd ? options_.Frequency : static_cast<uint32_t>(next);
        return now;
    }
    case GeneratorOptions::Mode::Wander: {
        const int64_t span = options_.WanderSpan;
        std::uniform_int_distribution<int64_t> offset(-span, span);
        return static_cast<uint32_t>(std::max<int64_t>(0, options_.Frequency + offset(random_)));
    }
    }
    return options_.Frequency;
}

// Random bytes without a line feed, ended by CR LF: a line the reader must drop.
std::string RecordGenerator::Garbage()
{
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string line;
    int count = length(random_);
    if (count == 19)
        count = 20;  // 18 characters and a CR could pass for a record
    for (int i = count; i > 0; --i) {
        const int b = byte(random_);
        line += static_cast<char>(b == '\n' ? '?' : b);
    }
    return line + "\r\n";
}
