#include "link/CSerialPort.h"

#include <cerrno>

#include "link/DevicePath.h"
#include "link/ProcessFacts.h"
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
    failure_ = {};
    failure_.PortNumber = portNumber;
    failure_.IniPath = iniPath_;
    if (fd_ >= 0)
        return 0;
    if (portNumber == 0)
        return Refuse(OpenRefusal::NoPortSelected, {});
    failure_.Mapping = MappedDevicePath(iniPath_, portNumber);
    const std::string path = DevicePathFor(portNumber);
    if (path.empty())
        return Refuse(OpenRefusal::NoDeviceMapped, path);
    return OpenPath(path, bitRate);
}

int CSerialPort::OpenPath(const std::string& path, uint32_t bitRate)
{
    if (fd_ >= 0)
        return 0;
    if (!lock_.Acquire(path)) {
        failure_.HolderPid = UucpLock::HolderPid(lock_.LockPathFor(path));
        failure_.HolderName = failure_.HolderPid ? ProcessName(*failure_.HolderPid) : std::string();
        return Refuse(OpenRefusal::HeldByAnother, path);
    }
    fd_ = tty::OpenExclusive(path);
    if (fd_ < 0) {
        const int error = errno;
        lock_.Release();
        return Refuse(RefusalForError(error), path, error);
    }
    tty::ConfigureLine(fd_);
    tty::SetBitRate(fd_, bitRate);
    openedPath_ = path;
    return 1;
}

int CSerialPort::Refuse(OpenRefusal why, const std::string& device, int error)
{
    failure_.Why = why;
    failure_.Device = device;
    failure_.Error = error;
    return 0;
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
