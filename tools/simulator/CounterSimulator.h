#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/simulator/CounterPty.h"
#include "tools/simulator/RecordGenerator.h"

struct SimulatorOptions {
    GeneratorOptions Generator;
    uint32_t Baud = 9600;           // pacing: 10 bits per byte at this rate
    double RecordsPerSecond = 0;    // when above 0, paces by records instead
    std::size_t BurstBytes = 0;     // hand the bytes over in packets this size; 0 at once
    uint64_t Count = 0;             // records to send; 0 without end
    int PauseEvery = 0;             // silence after every n-th record; 0 never
    double PauseSeconds = 0;
    uint64_t HangUpAfter = 0;       // close the pty after this many records; 0 never
    std::string IniPath;            // write COM<n>=<pty> into this file when set
    int ComNumber = 1;
    bool Help = false;
};

// Reads the command line; false with a message in error for a bad option.
bool ParseSimulatorOptions(const std::vector<std::string>& arguments, SimulatorOptions& options,
                           std::string& error);

std::string SimulatorUsage();

// Sends records on pty paced as the options say, until Count records, a
// hang-up, a write that cannot be made, or stop. Returns the records sent.
uint64_t RunSimulator(CounterPty& pty, const SimulatorOptions& options,
                      const std::atomic<bool>& stop);
