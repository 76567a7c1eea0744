#include "tools/logger/LoggerPort.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/BaudRateTable.h"
#include "link/DevicePath.h"
#include "link/Tty.h"
#include "settings/AppSettings.h"
#include "settings/ExePath.h"
#include "settings/ProgramFolders.h"

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

UserEnvironment CurrentEnvironment()
{
    std::string home = Variable("HOME");
    if (home.empty())
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
            home = entry->pw_dir;
    return {home, Variable("XDG_CONFIG_HOME"), Variable("XDG_DATA_HOME")};
}

std::string Reason(int error)
{
    return error != 0 ? std::strerror(error) : "not a serial port";
}

}  // namespace

std::string WindowSettingsFile()
{
    const std::filesystem::path folder = std::filesystem::path(GetExePath("pelmora-log")).parent_path();
    const std::string installedWindow = (folder.parent_path() / "lib/pelmora/Pelmora").string();
    if (folder.filename() == "bin") {
        const ProgramFolders installed = FoldersFor(installedWindow, CurrentEnvironment());
        if (installed.Installed)
            return installed.SettingsFile;
    }
    return (folder / "Pelmora.ini").string();
}

std::string ResolvePort(const std::string& port, const std::string& iniPath)
{
    if (!port.starts_with("COM") || port.size() == 3)
        return port;
    int32_t number = 0;
    const char* end = port.data() + port.size();
    const auto [stop, error] = std::from_chars(port.data() + 3, end, number);
    if (error != std::errc() || stop != end || number <= 0)
        return port;
    return DevicePath(iniPath, number);
}

uint32_t WindowBaudRate(const std::string& iniPath)
{
    AppSettings settings;
    LoadSettings(settings, iniPath, "");
    return BaudRateTable::At(settings.BaudIndex).value_or(*BaudRateTable::At(AppSettings().BaudIndex));
}

bool LoggerPort::Open(const std::string& device, uint32_t bitRate, std::string& error)
{
    struct stat status {};
    if (device.empty() || ::stat(device.c_str(), &status) != 0)
        return error = "cannot open " + device + ": " + Reason(device.empty() ? ENOENT : errno), false;
    if (!lock_.Acquire(device))
        return error = "cannot open " + device + ": in use by another program", false;
    errno = 0;
    fd_ = tty::OpenExclusive(device);
    if (fd_ < 0) {
        error = "cannot open " + device + ": " + Reason(errno);
        lock_.Release();
        return false;
    }
    tty::ConfigureLine(fd_);
    tty::SetBitRate(fd_, bitRate);
    return true;
}

LoggerPort::~LoggerPort()
{
    if (fd_ >= 0)
        tty::CloseExclusive(fd_);
}
