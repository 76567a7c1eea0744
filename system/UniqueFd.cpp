#include "system/UniqueFd.h"

#include <unistd.h>

void UniqueFd::Reset(int fd) noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::Close() noexcept
{
    return ::close(std::exchange(fd_, -1)) == 0;
}
