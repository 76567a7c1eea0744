#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <pthread.h>
#include <time.h>

// Entries of a /proc folder: open descriptors or threads of this process.
inline int ProcEntries(const char* folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

inline int OpenDescriptorCount()
{
    return ProcEntries("/proc/self/fd");
}

inline int ThreadCount()
{
    return ProcEntries("/proc/self/task");
}

// Threads of this process with the given name (as /proc/self/task/*/comm has it).
inline int ThreadCountNamed(const std::string& name)
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string taskName;
        if (std::getline(comm, taskName) && taskName == name)
            ++count;
    }
    return count;
}

// Whether a thread of this process with the given name sleeps (state S), as
// in a blocking wait.
inline bool ThreadNamedSleeps(const std::string& name)
{
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm"), statFile(task.path() / "stat");
        std::string taskName, stat;
        if (std::getline(comm, taskName) && taskName == name && std::getline(statFile, stat))
            return stat.compare(stat.rfind(") ") + 2, 1, "S") == 0;
    }
    return false;
}

// The read calls one thread of this process has made so far (the kernel's
// count, /proc/self/task/<tid>/io); -1 when it cannot be read.
inline long long ThreadReadCalls(pid_t threadId)
{
    std::ifstream io("/proc/self/task/" + std::to_string(threadId) + "/io");
    for (std::string line; std::getline(io, line);)
        if (line.rfind("syscr:", 0) == 0)
            return std::stoll(line.substr(6));
    return -1;
}

// CPU time one thread has used so far; -1 when it cannot be read.
inline double ThreadCpuSeconds(pthread_t thread)
{
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &used) != 0)
        return -1;
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}
