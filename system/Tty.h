#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "system/SysResult.h"
#include "system/UniqueFd.h"

// The operating system's side of the serial port: everything that knows about
// descriptors, termios and poll stays behind these calls (and PortPoll.h).
// Descriptors are plain ints, -1 meaning none.
namespace tty {

// Opens path for reading and writing without becoming its controlling
// terminal, non-blocking, close-on-exec, and takes it exclusively (TIOCEXCL
// and an flock). Fails when the device is missing, not accessible (the error
// of the open) or no terminal (ENOTTY), or held by another open: its flock,
// or its exclusive mode while another open of the device exists or may exist
// (EBUSY), changing nothing of the holder's. A mode left by a program that
// ended is taken over where the open passes it (as root); a successful open
// set TIOCEXCL itself, so the close clears it.
SysResult<int> OpenExclusive(const std::string& path);

// Raw 8N1 with the receiver on and modem lines ignored; software flow control
// off, hardware flow control as the port had it. A setting the device refuses
// goes unnoticed, as with any serial port.
void ConfigureLine(int fd);

// Any bit rate, including those POSIX has no constant for (14400).
void SetBitRate(int fd, uint32_t bitsPerSecond);
// The receiving bit rate the line is set to; 0 when it cannot be asked.
uint32_t BitRate(int fd);

// Gives up the exclusive mode and the lock, then closes.
void CloseExclusive(int fd);

// A descriptor of its own for the same open port (for another thread).
SysResult<UniqueFd> Duplicate(int fd);

// A single non-blocking write of one byte.
SysStatus WriteByte(int fd, uint8_t byte);

// A single non-blocking read: the count read, 0 when nothing is waiting; an
// error, or EIO for the end of file a hung-up device gives.
SysResult<std::size_t> ReadSome(int fd, uint8_t* buffer, std::size_t size);

}  // namespace tty
