#include "link/port/DevicePath.h"

#include "settings/Profile.h"

namespace {
// Room for any path the system accepts.
constexpr std::size_t kPathBufferSize = 4096;
}  // namespace

std::string DefaultDevicePath(int32_t portNumber)
{
    if (portNumber >= 1 && portNumber <= 10)
        return "/dev/ttyUSB" + std::to_string(portNumber - 1);
    if (portNumber >= 11 && portNumber <= 20)
        return "/dev/ttyACM" + std::to_string(portNumber - 11);
    return {};
}

std::string MappedDevicePath(const std::string& iniPath, int32_t portNumber)
{
    return GetProfileString(iniPath, "Port", "COM" + std::to_string(portNumber), "", kPathBufferSize);
}

std::string DevicePath(const std::string& iniPath, int32_t portNumber)
{
    if (portNumber == 0)
        return {};
    const std::string mapped = MappedDevicePath(iniPath, portNumber);
    return mapped.empty() ? DefaultDevicePath(portNumber) : mapped;
}
