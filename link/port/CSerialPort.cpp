#include "link/port/CSerialPort.h"

#include <cerrno>
#include <utility>

#include "link/port/DevicePath.h"
#include "system/Tty.h"

CSerialPort::CSerialPort(std::string iniPath, std::string lockFolder)
    : iniPath_(std::move(iniPath)), lockFolder_(std::move(lockFolder))
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
    if (IsOpen())
        return 0;
    if (portNumber == 0)
        return Refuse(OpenRefusal::NoPortSelected, {});
    failure_.Mapping = MappedDevicePath(iniPath_, portNumber);
    const std::string path = DevicePathFor(portNumber);
    if (path.empty())
        return Refuse(OpenRefusal::NoDeviceMapped, path);
    return OpenDevice(path, bitRate);
}

int CSerialPort::OpenPath(const std::string& path, uint32_t bitRate)
{
    failure_ = {};
    failure_.IniPath = iniPath_;
    if (IsOpen())
        return 0;
    return OpenDevice(path, bitRate);
}

int CSerialPort::OpenDevice(const std::string& path, uint32_t bitRate)
{
    if (path.empty())
        return Refuse(OpenRefusal::NoSuchDevice, path, ENOENT);
    return Adopt(DeviceClaim::Take(path, lockFolder_), bitRate);
}

int CSerialPort::Adopt(Claimed claimed, uint32_t bitRate)
{
    if (IsOpen())
        return 0;
    if (const auto* refusal = std::get_if<OpenFailure>(&claimed))
        return Refuse(*refusal);
    return Adopt(std::get<DeviceClaim>(std::move(claimed)), bitRate);
}

int CSerialPort::Adopt(DeviceClaim claim, uint32_t bitRate)
{
    if (IsOpen())
        return 0;
    if (!claim.Held())
        return Refuse(OpenRefusal::Other, claim.Path());
    tty::ConfigureLine(claim.Descriptor());
    tty::SetBitRate(claim.Descriptor(), bitRate);
    openedPath_ = claim.Path();
    claim_ = std::move(claim);
    return 1;
}

int CSerialPort::Refuse(OpenRefusal why, const std::string& device, int error)
{
    failure_.Why = why;
    failure_.Device = device;
    failure_.Error = error;
    return 0;
}

int CSerialPort::Refuse(const OpenFailure& refusal)
{
    OpenFailure kept = refusal;
    kept.PortNumber = failure_.PortNumber;
    kept.IniPath = failure_.IniPath;
    kept.Mapping = failure_.Mapping;
    failure_ = std::move(kept);
    return 0;
}

void CSerialPort::Close()
{
    claim_ = DeviceClaim();
}

bool CSerialPort::IsOpen() const
{
    return claim_.Held();
}

int CSerialPort::GetHandle() const
{
    return claim_.Descriptor();
}

int CSerialPort::WriteByte(uint8_t byte)
{
    return IsOpen() && tty::WriteByte(GetHandle(), byte).Ok() ? 1 : 0;
}

int CSerialPort::Read(uint8_t* buffer, uint32_t count, uint32_t& bytesRead)
{
    bytesRead = 0;
    if (!IsOpen())
        return 0;
    const SysResult<std::size_t> read = tty::ReadSome(GetHandle(), buffer, count);
    if (!read)
        return 0;
    bytesRead = static_cast<uint32_t>(read.Value());
    return 1;
}
