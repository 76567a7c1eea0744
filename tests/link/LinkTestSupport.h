#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/RecordSink.h"
#include "tests/link/ProcessProbes.h"

using namespace std::chrono_literals;

// Generous: the test machine is shared with other builds.
inline constexpr auto kPatience = 20s;

// Collects accepted records; the receive thread adds, the test waits.
class RecordingSink : public RecordSink {
public:
    void OnRecord(const char* record) override;
    // True once at least count records have come, false after kPatience.
    bool WaitFor(std::size_t count);
    std::vector<std::string> Records();

private:
    std::mutex mutex_;  // guards records_
    std::condition_variable changed_;
    std::vector<std::string> records_;
};

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes "[Port]\nCOM<n>=<device>" into a new ini file and returns its path.
std::string WritePortIni(const TempDir& dir, int portNumber, const std::string& device);

// Polls cheap conditions (descriptor counts, queue sizes) until true or kPatience.
template <class Predicate>
bool WaitUntil(Predicate predicate)
{
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}
