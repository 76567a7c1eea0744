#pragma once

#include <cstdint>
#include <random>
#include <string>

// What the simulated counter measures and how its stream is spoiled.
struct GeneratorOptions {
    enum class Mode { Fixed, Sweep, Wander };
    Mode FrequencyMode = Mode::Fixed;
    uint32_t Frequency = 1000000;   // Hz: the fixed value, the sweep start, the wander centre
    uint32_t SweepEnd = 2000000;    // Hz, inclusive; the sweep starts over after it
    uint32_t SweepStep = 1000;      // Hz per record
    uint32_t WanderSpan = 500;      // Hz either side of the centre
    int Prescaler = 1;              // 0-999
    int GateTenths = 10;            // gate time in tenths of a second, 0-999
    int GarbageEvery = 0;           // a line of random bytes before every n-th record; 0 never
    int LongLineEvery = 0;          // a 300-byte line before every n-th record; 0 never
    uint32_t Seed = 1;
};

// One record on the wire: "PPP GGT FFFFFFFFFF\r\n", 20 bytes.
std::string FormatRecord(int prescaler, int gateTenths, uint32_t frequency);

inline constexpr std::size_t kRecordWireSize = 20;

// The counter's output, record by record, with the chosen injections.
class RecordGenerator {
public:
    explicit RecordGenerator(const GeneratorOptions& options);

    // The bytes to send for the next record: the record itself, preceded by
    // any injected line that is due.
    std::string Next();

    // The frequency of the record Next returned last.
    uint32_t LastFrequency() const { return last_; }

private:
    uint32_t NextFrequency();
    std::string Garbage();

    GeneratorOptions options_;
    std::mt19937 random_;
    uint32_t sweep_;
    uint32_t last_ = 0;
    uint64_t made_ = 0;
};
