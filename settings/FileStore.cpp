#include "settings/FileStore.h"

#include <filesystem>

namespace {

// The kernel's own limit on links followed in one path lookup.
constexpr int kMaxLinkDepth = 40;

} // namespace

SysResult<std::string> ReadSettingsFile(const std::string& path)
{
    return ReadFileBytes(path, kMaxSettingsFileSize);
}

std::string ResolveLinks(const std::string& path)
{
    std::filesystem::path current(path);
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}
