#include "tools/simulator/CounterSimulator.h"

std::string SimulatorUsage()
{
    return R"(Usage: pelmora-counter-sim [options]

Acts as the frequency counter on a pseudo-terminal. Prints the pty's path,
then sends one record per measurement: "PPP GGT FFFFFFFFFF" CR LF.

Port
  --ini FILE           write COM<n>=<pty path> into section [Port] of FILE
  --com N              the port number for --ini (default 1)

Pacing
  --baud B             send as fast as B baud allows, 10 bits a byte (default 9600)
  --rate R             send R records per second instead
  --burst BYTES        hand the bytes over in whole packets of BYTES, each when its
                       last byte is sent, as a USB adapter does (62 for an FTDI)

Measurement
  --mode fixed|sweep|wander   frequency pattern (default fixed)
  --frequency HZ       the fixed value, sweep start or wander centre (default 1000000)
  --sweep-end HZ       last frequency of the sweep (default 2000000)
  --sweep-step HZ      sweep step per record (default 1000)
  --wander-span HZ     wander this far either side of the centre (default 500)
  --gate SECONDS       gate time, 0.0 to 99.9 (default 1.0)
  --prescaler N        prescaler, 0 to 999 (default 1)
  --seed N             random seed for wander and garbage (default 1)

Faults
  --garbage-every N    a line of random bytes before every N-th record
  --long-line-every N  a 300-byte line before every N-th record
  --pause-every M      fall silent after every M-th record ...
  --pause-seconds S    ... for S seconds
  --hangup-after N     close the pty after N records, as an unplugged adapter
  --count N            stop after N records (default: run until interrupted)

  --help               this text
)";
}
