#pragma once

#include <cstdint>
#include <string>

#include "link/port/DeviceClaim.h"
#include "link/port/OpenFailure.h"

// The program's one serial port, opened for reading at 8 data bits, no parity,
// one stop bit. Port numbers map to devices through DevicePath. Open, Close and
// the destructor run on the window thread; the receive thread works on its own
// duplicate of the handle, so Close never pulls a descriptor from under it.
class CSerialPort {
public:
    // iniPath: the settings file whose section "Port" may map COM<n> keys;
    // lockFolder: where UUCP lock files are kept.
    explicit CSerialPort(std::string iniPath = {}, std::string lockFolder = "/var/lock");
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // 1 when the port was opened, 0 when not: port 0, no device for the
    // number, a missing or inaccessible device, or one held by another open.
    // Call only while closed.
    int Open(int32_t portNumber, uint32_t bitRate);
    // Why the last Open returned 0; OpenRefusal::None after one that succeeded.
    const OpenFailure& LastOpenFailure() const { return failure_; }
    // The same for a device path.
    int OpenPath(const std::string& path, uint32_t bitRate);
    // Takes over a device claimed elsewhere (as by the thread that waited for
    // it) and sets its line; an empty claim fails (OpenRefusal::Other).
    int Adopt(DeviceClaim claim, uint32_t bitRate);
    // The same for what taking a claim gave: its refusal fails this open.
    int Adopt(Claimed claimed, uint32_t bitRate);
    // The path of the last successful open.
    const std::string& OpenedPath() const { return openedPath_; }
    // Where UUCP lock files are kept.
    const std::string& LockFolder() const { return lockFolder_; }
    void Close();
    bool IsOpen() const;
    // The descriptor, -1 while closed.
    int GetHandle() const;

    // Unused by the program; kept for completeness of the port object.
    int WriteByte(uint8_t byte);
    // A non-blocking read of up to count bytes; 1 when the call succeeded.
    int Read(uint8_t* buffer, uint32_t count, uint32_t& bytesRead);

    std::string DevicePathFor(int32_t portNumber) const;

private:
    int OpenDevice(const std::string& path, uint32_t bitRate);
    int Refuse(OpenRefusal why, const std::string& device, int error = 0);
    // Keeps the port number and settings file of the open that failed.
    int Refuse(const OpenFailure& refusal);

    std::string iniPath_;
    std::string lockFolder_;
    DeviceClaim claim_;  // the open device, not held while closed
    OpenFailure failure_;
    std::string openedPath_;
};
