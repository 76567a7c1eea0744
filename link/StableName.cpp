#include "link/StableName.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string DeviceNode(const std::string& path)
{
    std::error_code error;
    const fs::path node = fs::canonical(path, error);
    return error ? std::string() : node.string();
}

std::string FindStableName(const std::string& devicePath, const std::string& byIdFolder)
{
    const std::string node = DeviceNode(devicePath);
    if (node.empty())
        return {};
    std::error_code error;
    fs::directory_iterator entries(byIdFolder, error);
    std::string found;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().string();
        // The smallest name, so that the answer does not depend on listing order.
        if (DeviceNode(name) == node && (found.empty() || name < found))
            found = name;
    }
    return found;
}

ReopenTarget RememberDevice(const std::string& openedPath, const std::string& byIdFolder)
{
    return {openedPath, FindStableName(openedPath, byIdFolder)};
}

std::string ResolveForReopen(const ReopenTarget& target)
{
    const std::string node = target.StableName.empty() ? std::string() : DeviceNode(target.StableName);
    return node.empty() ? target.OpenedPath : node;
}

std::string ReturnedDevicePath(const ReopenTarget& target)
{
    if (!target.StableName.empty()) {
        const std::string node = DeviceNode(target.StableName);
        if (!node.empty())
            return node;
    }
    if (DeviceNode(target.OpenedPath).empty())
        return {};
    // Our own entry leads nowhere (checked above), so any entry found is another adapter's.
    if (!target.StableName.empty() &&
        !FindStableName(target.OpenedPath, fs::path(target.StableName).parent_path()).empty())
        return {};
    return target.OpenedPath;
}
