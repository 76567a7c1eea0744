#include "system/SysResult.h"

#include <cerrno>
#include <cstring>

std::string SysError::Text() const
{
    return std::strerror(Code);
}

SysError LastSysError()
{
    return SysError{errno != 0 ? errno : EIO};
}
