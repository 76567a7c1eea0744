#pragma once

#include <cstdint>
#include <string>

// The device behind port number n ("COMn"). Section "Port" of the settings
// file may name one with a key COM<n> (any path: /dev/ttyUSB0,
// /dev/serial/by-id/..., a pseudo-terminal); without it COM1-COM10 are
// /dev/ttyUSB0-9 and COM11-COM20 /dev/ttyACM0-9. Other numbers have no device
// unless the file names one: the result is then empty.
std::string DevicePath(const std::string& iniPath, int32_t portNumber);

// The device the settings file names for port n; empty when it names none.
std::string MappedDevicePath(const std::string& iniPath, int32_t portNumber);

// The fixed mapping alone.
std::string DefaultDevicePath(int32_t portNumber);
