#pragma once

#include <cstdint>
#include <string>

#include "link/UucpLock.h"
#include "settings/UniqueFd.h"

// The settings file the Pelmora window of this installation uses: beside this
// executable in a portable folder; the user's one when installed (<X>/bin beside
// <X>/lib/pelmora). Only read, never written.
std::string WindowSettingsFile();

// The device of PORT: COM<n> as the window maps it (section "Port" of iniPath, then
// the fixed mapping; empty when none), anything else as a path.
std::string ResolvePort(const std::string& port, const std::string& iniPath);

// The speed the window would use: that of the settings file's BaudRate index, or of
// the default index when it is out of range.
uint32_t WindowBaudRate(const std::string& iniPath);

// The serial port opened as the window opens it: UUCP lock, exclusive, raw 8N1.
class LoggerPort {
public:
    // False with the reason in error.
    bool Open(const std::string& device, uint32_t bitRate, std::string& error);
    int Descriptor() const { return fd_; }
    ~LoggerPort();

private:
    UucpLock lock_;
    int fd_ = -1;
};
