#include "tests/soak/RecordFlow.h"

RecordFlow::RecordFlow(CounterPty& pty, SimulatorOptions options)
    : thread_([this, &pty, options] {
          sent_ = RunSimulator(pty, options, stop_);
          finished_ = true;
      })
{
}

RecordFlow::~RecordFlow()
{
    Stop();
}

void RecordFlow::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

SimulatorOptions FastRecords(uint32_t frequency)
{
    SimulatorOptions options;
    options.Baud = 115200;
    options.Generator.FrequencyMode = GeneratorOptions::Mode::Fixed;
    options.Generator.Frequency = frequency;
    return options;
}
