#pragma once

#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <string>
#include <unistd.h>

#include "system/Sockets.h"
#include "tools/simulator/CounterPty.h"
#include "tools/simulator/RecordGenerator.h"

// A client of the stream a running pelmora-log serves, read only when asked: once
// it has seen a reading, the serving program's log has it in its queue too.
class StreamClient {
public:
    bool Connect(const std::string& socketPath)
    {
        SocketOpened opened = ConnectToUnixPath(socketPath);
        if (opened.socket)
            fd_ = std::move(opened.socket).Value();
        return fd_.Valid();
    }

    // Takes what waits, without blocking.
    void Pump()
    {
        char buffer[65536];
        pollfd ready{fd_.Get(), POLLIN, 0};
        while (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) != 0) {
            const ssize_t got = ::read(fd_.Get(), buffer, sizeof buffer);
            if (got <= 0)
                return;
            text_.append(buffer, static_cast<size_t>(got));
        }
    }

    // The reading of frequency hz came.
    bool Saw(uint32_t hz)
    {
        Pump();
        return text_.find("\"frequency_hz\": " + std::to_string(hz) + ",") != std::string::npos;
    }

    bool SawAReading()
    {
        Pump();
        return text_.find("\"frequency_hz\"") != std::string::npos;
    }

    // The last line is the "end" event.
    bool Ended()
    {
        Pump();
        const size_t lastStart = text_.rfind('\n', text_.size() < 2 ? 0 : text_.size() - 2);
        return text_.find("\"event\": \"end\"", lastStart == std::string::npos ? 0 : lastStart) != std::string::npos;
    }

private:
    UniqueFd fd_;
    std::string text_;
};

// Records of 10 MHz and up, each one hertz above the one before, over the run.
class RecordFeed {
public:
    static constexpr uint32_t kFirstHz = 10000000;

    explicit RecordFeed(CounterPty& pty) : pty_(pty) {}

    bool Send(uint32_t count)
    {
        std::string records;
        for (uint32_t i = 0; i < count; ++i)
            records += FormatRecord(1, 10, kFirstHz + sent_ + i);
        if (!pty_.Write(records))
            return false;
        sent_ += count;
        return true;
    }

    uint32_t Sent() const { return sent_; }
    uint32_t LastHz() const { return kFirstHz + sent_ - 1; }

private:
    CounterPty& pty_;
    uint32_t sent_ = 0;
};

// A reading of hz is among the rows of a log's text.
inline bool HasRowOf(const std::string& csv, uint32_t hz)
{
    return csv.find("," + std::to_string(hz) + ",") != std::string::npos;
}

// Whether signalNumber is in a process's mask of ignored or of blocked signals
// (its main thread's), as /proc/<pid>/status shows them.
inline bool InSignalMask(pid_t pid, const char* mask, int signalNumber)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string key = std::string(mask) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(key))
            return ((std::stoull(line.substr(key.size()), nullptr, 16) >> (signalNumber - 1)) & 1) != 0;
    return false;
}

// XDG_RUNTIME_DIR set to folder for the programs the test starts, and unset again.
class RuntimeFolder {
public:
    explicit RuntimeFolder(const std::string& folder) { ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1); }
    ~RuntimeFolder() { ::unsetenv("XDG_RUNTIME_DIR"); }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;
};

// Ends a child the test left running (an assertion returned early), and reaps it.
class KillOnExit {
public:
    explicit KillOnExit(pid_t pid) : pid_(pid) {}
    ~KillOnExit()
    {
        if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    KillOnExit(const KillOnExit&) = delete;
    KillOnExit& operator=(const KillOnExit&) = delete;

private:
    pid_t pid_;
};
