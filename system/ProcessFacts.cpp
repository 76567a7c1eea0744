#include "system/ProcessFacts.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

using std::chrono::system_clock;

std::string ProcFile(long pid, const char* name)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/" + name);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The wall-clock moment of boot, finer than /proc/stat's whole-second btime.
system_clock::time_point BootTime()
{
    timespec wall{}, sinceBoot{};
    ::clock_gettime(CLOCK_REALTIME, &wall);
    ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot);
    const auto toDuration = [](const timespec& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    };
    return system_clock::time_point(
        std::chrono::duration_cast<system_clock::duration>(toDuration(wall) - toDuration(sinceBoot)));
}

// Field 22 of /proc/<pid>/stat: clock ticks from boot to the start. The name
// (field 2) may hold blanks and parentheses, so fields are counted after its
// closing one.
std::optional<long long> StartTicks(long pid)
{
    const std::string stat = ProcFile(pid, "stat");
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int number = 3; number < 22 && fields >> field; ++number) {
    }
    long long ticks = -1;
    if (!(fields >> ticks) || ticks < 0)
        return std::nullopt;
    return ticks;
}

}  // namespace

std::optional<system_clock::time_point> ProcessStartTime(long pid)
{
    const std::optional<long long> ticks = StartTicks(pid);
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (!ticks || ticksPerSecond <= 0)
        return std::nullopt;
    const auto sinceBoot = std::chrono::duration<double>(static_cast<double>(*ticks) / ticksPerSecond);
    return BootTime() + std::chrono::duration_cast<system_clock::duration>(sinceBoot);
}

std::string ProcessName(long pid)
{
    std::string name = ProcFile(pid, "comm");
    if (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

bool ProcessRuns(long pid)
{
    return pid > 0 && pid <= HighestProcessId() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

long HighestProcessId()
{
    // The kernel's own ceiling, 2^22, where the setting cannot be read.
    constexpr long kPidMaxLimit = 4194304;
    std::ifstream setting("/proc/sys/kernel/pid_max");
    long highest = 0;
    return setting >> highest && highest > 1 ? highest - 1 : kPidMaxLimit - 1;
}

long OwnProcessId()
{
    return static_cast<long>(::getpid());
}

std::string OwnExecutable()
{
    // read_symlink grows its buffer until the whole target fits, so no length is cut.
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.native();
}
