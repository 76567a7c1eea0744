#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "log/LogRow.h"
#include "share/ShareFolder.h"
#include "system/SysResult.h"
#include "system/UniqueFd.h"
#include "system/WakeEvent.h"

// pelmora-log's source when it attaches to the program that holds the port:
// reads that program's stream (share/ShareLine.h) on a thread of its own and
// hands on each read's rows together and the events one by one.
class AttachSource {
public:
    // On the source's thread: the rows of one read (taken by the callee).
    using Rows = std::function<void(std::vector<LogRow>& rows)>;
    // On the source's thread: an event line ("no_data", "dropped", ...), with
    // its count where it has one; when the stream ends, "end" once more after an
    // "end" line, kBrokenOff without one (the serving program died).
    using Event = std::function<void(std::string_view event, uint64_t count)>;
    static constexpr std::string_view kEnd = "end";
    static constexpr std::string_view kBrokenOff = "broken_off";

    AttachSource() = default;
    ~AttachSource();
    AttachSource(const AttachSource&) = delete;
    AttachSource& operator=(const AttachSource&) = delete;

    // Connects to the stream at socketPath as ConnectToShare does (share/ShareFolder.h);
    // why says why not. Fails also when no wake event can be had.
    ShareConnection::Reach Connect(const std::string& socketPath, std::string& why);
    // Fails when no thread can be had.
    SysStatus Start(Rows rows, Event event);
    // Returns once the thread has ended.
    void Stop();

    // One line of the stream, without its "\n", as a row; false for an event
    // line (event and count set) or a line that is neither (event empty).
    static bool ParseLine(std::string_view line, LogRow& row, std::string& event, uint64_t& count);

private:
    void Run();
    void HandLines(std::string& pending);
    void Tell(const std::string& event, uint64_t count);

    UniqueFd socket_;
    std::optional<WakeEvent> stop_;  // made by Connect
    Rows rows_;
    Event event_;
    std::vector<LogRow> batch_;  // the source's thread only
    bool ended_ = false;         // as batch_: an "end" line came
    std::thread thread_;
};
