#include "link/CSerialPort.h"

#include "link/DevicePath.h"
#include "link/Tty.h"

CSerialPort::CSerialPort(std::string iniPath, std::string lockFolder)
    : iniPath_(std::move(iniPath)), lock_(std::move(lockFolder))
{
}

CSerialPort::~CSerialPort()
{
    Close();
}

std::string CSerialPort::DevicePathFor(int32_t portNumber) const
{
    return DevicePath(iniPath_, portNumber);
}

int CSerialPort::Open(int32_t portNumber, uint32_t bitRate)
{
    if (portNumber == 0 || fd_ >= 0)
        return 0;
    const std::string path = DevicePathFor(portNumber);
    if (path.empty() || !lock_.Acquire(path))
        return 0;
    fd_ = tty::OpenExclusive(path);
    if (fd_ < 0) {
        lock_.Release();
        return 0;
    }
    tty::ConfigureLine(fd_);
    tty::SetBitRate(fd_, bitRate);
    return 1;
}

void CSerialPort::Close()
{
    if (fd_ < 0)
        return;
    tty::CloseExclusive(fd_);
    fd_ = -1;
    lock_.Release();
}

bool CSerialPort::IsOpen() const
{
    return fd_ >= 0;
}

int CSerialPort::GetHandle() const
{
    return fd_;
}

int CSerialPort::WriteByte(uint8_t byte)
{
    return fd_ >= 0 && tty::WriteByte(fd_, byte) ? 1 : 0;
}

int CSerialPort::Read(uint8_t* buffer, uint32_t count, uint32_t& bytesRead)
{
    bytesRead = 0;
    if (fd_ < 0)
        return 0;
    const long read = tty::ReadSome(fd_, buffer, count);
    if (read < 0)
        return 0;
    bytesRead = static_cast<uint32_t>(read);
    return 1;
}
