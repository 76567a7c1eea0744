#include "settings/ExePath.h"

#include <filesystem>
#include <system_error>

std::string JoinExeFolder(std::string_view exePath, std::string_view name)
{
    const std::size_t slash = exePath.rfind('/');
    if (slash == std::string_view::npos)
        return std::string(name);
    std::string joined(exePath.substr(0, slash + 1));
    joined += name;
    return joined;
}

std::string GetExePath(std::string_view name)
{
    // read_symlink grows its buffer until the whole target fits, so no length is cut.
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string(name);
    return JoinExeFolder(exe.native(), name);
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
