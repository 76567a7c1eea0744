#include "settings/ExePath.h"

#include "system/ProcessFacts.h"

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
    const std::string exe = OwnExecutable();
    return exe.empty() ? std::string(name) : JoinExeFolder(exe, name);
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
