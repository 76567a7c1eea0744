#include "link/receive/ReadPass.h"

#include <algorithm>

ReadPass::Clock::time_point ReadPass::ReadableAt(std::size_t position) const
{
    if (position < ReadableAtAnchor)
        return Anchor;
    const auto bytesAfterAnchor = static_cast<long>(position - ReadableAtAnchor + 1);
    const auto lineRate = Anchor + std::chrono::duration_cast<Clock::duration>(ByteTime * bytesAfterAnchor);
    return std::max(Since, std::min(lineRate, ReadAt));
}
