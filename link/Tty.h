#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The operating system's side of the serial port: everything that knows about
// descriptors, termios and poll stays behind these calls. Descriptors are
// plain ints, -1 meaning none.
namespace tty {

// Opens path for reading and writing without becoming its controlling
// terminal, non-blocking, close-on-exec, and takes it exclusively (TIOCEXCL
// and an flock). Returns -1 when the device is missing, not accessible or held
// by another open (its exclusive mode or its flock), changing nothing of the
// holder's; a successful open set TIOCEXCL itself, so the close clears it.
// On -1 errno tells why: that of open(), ENOTTY or EBUSY.
int OpenExclusive(const std::string& path);

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

// A single non-blocking write; true when the byte was written.
bool WriteByte(int fd, uint8_t byte);

// A single non-blocking read; the count read, 0 for none, -1 on error or hang-up.
long ReadSome(int fd, uint8_t* buffer, std::size_t size);

}  // namespace tty
