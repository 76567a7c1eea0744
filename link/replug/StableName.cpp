#include "link/replug/StableName.h"

#include <filesystem>
#include <fstream>

#include "system/DeviceFacts.h"

namespace fs = std::filesystem;

std::string DeviceNode(const std::string& path)
{
    std::error_code error;
    const fs::path node = fs::canonical(path, error);
    return error ? std::string() : node.string();
}

std::string FindStableName(const std::string& devicePath, const std::string& folder)
{
    if (DeviceNode(devicePath).empty())
        return {};
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    std::string found;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().string();
        // The smallest name, so that the answer does not depend on listing order.
        if (SameDevice(name, devicePath) && (found.empty() || name < found))
            found = name;
    }
    return found;
}

bool SharesItsStableName(const std::string& node, const std::string& sysTtyFolder)
{
    std::error_code error;
    fs::path device = fs::canonical(fs::path(sysTtyFolder) / fs::path(node).filename() / "device", error);
    // Up from the tty to the USB device, the first folder with a vendor id.
    for (; !error && device.has_relative_path(); device = device.parent_path()) {
        if (fs::exists(device / "idVendor", error)) {
            std::ifstream serial(device / "serial");
            std::string number;
            return !std::getline(serial, number) || number.empty();
        }
    }
    return false;
}

ReopenTarget RememberDevice(const std::string& openedPath, const NameFolders& folders)
{
    const std::string byId = FindStableName(openedPath, folders.ById);
    if (!byId.empty() && !SharesItsStableName(DeviceNode(openedPath), folders.SysTty))
        return {openedPath, byId};
    const std::string byPath = byId.empty() ? std::string() : FindStableName(openedPath, folders.ByPath);
    if (!byPath.empty())
        return {openedPath, byPath};
    std::error_code error;
    if (fs::is_symlink(openedPath, error))
        return {openedPath, openedPath};
    return {openedPath, {}};
}

std::string ReturnedDevicePath(const ReopenTarget& target)
{
    return target.Identity.empty() ? std::string() : DeviceNode(target.Identity);
}
