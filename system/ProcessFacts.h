#pragma once

#include <chrono>
#include <optional>
#include <string>

// What the system tells about another running process (from /proc).

// When process pid started, on the wall clock, to about a clock tick; nullopt
// when it does not run or its start cannot be read.
std::optional<std::chrono::system_clock::time_point> ProcessStartTime(long pid);

// Its program name as ps shows it (at most 15 characters); empty when unknown.
std::string ProcessName(long pid);

// Whether a process with that pid runs (also one this process may not signal);
// false for a number that is no process id.
bool ProcessRuns(long pid);

// The highest process id the system hands out (one below
// /proc/sys/kernel/pid_max); a number above it names no process.
long HighestProcessId();

// This process's own pid.
long OwnProcessId();

// The whole path of this process's executable; empty when the system does not tell.
std::string OwnExecutable();
