#include "link/OpenFailureText.h"

#include <cerrno>
#include <system_error>

namespace {

// Joining "tty" would open every user's terminal, and root's group is no group to join.
bool GroupIsJoinable(const DeviceFacts& device)
{
    const unsigned groupReadWrite = 0060;
    return device.Known && (device.Permissions & groupReadWrite) == groupReadWrite &&
           device.GroupId != 0 && device.Group != "tty";
}

std::string SettingsFileName(const OpenFailure& failure)
{
    return failure.IniPath.empty() ? "the settings file" : failure.IniPath;
}

std::string ComKey(const OpenFailure& failure)
{
    return "COM" + std::to_string(failure.PortNumber);
}

std::string PermissionText(const std::string& device, const DeviceFacts& facts)
{
    if (GroupIsJoinable(facts))
        return device + ": permission denied. Members of group " + facts.Group +
               " may use it: join it with \"sudo usermod -aG " + facts.Group +
               " $USER\", then log out and log in again.";
    if (!facts.Known)
        return device + ": permission denied.";
    return device + ": permission denied (owner " + facts.Owner + ", group " + facts.Group +
           ", mode " + ModeText(facts) + ").";
}

std::string MissingText(const OpenFailure& failure)
{
    const std::string question = failure.Device + " does not exist: is the counter plugged in? ";
    if (!failure.Mapping.empty())
        return question + "The line " + ComKey(failure) + "=" + failure.Mapping + " in [Port] of " +
               SettingsFileName(failure) + " maps " + ComKey(failure) + " to it.";
    return question + "A line " + ComKey(failure) + "=<device> in [Port] of " + SettingsFileName(failure) +
           " maps " + ComKey(failure) + " to any device.";
}

std::string HeldText(const OpenFailure& failure)
{
    const bool pidKnown = failure.HolderPid && *failure.HolderPid > 0;
    const std::string pid = pidKnown ? " (PID " + std::to_string(*failure.HolderPid) + ")" : "";
    const std::string holder = pidKnown && !failure.HolderName.empty() ? failure.HolderName : "another program";
    return failure.Device + " is in use by " + holder + pid + ": close it, then connect again.";
}

std::string OtherText(const OpenFailure& failure)
{
    if (failure.Error == 0)
        return failure.Device + " could not be opened.";
    return failure.Device + ": " + std::generic_category().message(failure.Error) + ".";
}

}  // namespace

OpenRefusal RefusalForError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenRefusal::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenRefusal::NoSuchDevice;
    case EBUSY:
        return OpenRefusal::HeldByAnother;
    case ENOTTY:
        return OpenRefusal::NotATerminal;
    default:
        return OpenRefusal::Other;
    }
}

std::string ModeText(const DeviceFacts& device)
{
    std::string text(1, device.Type);
    const char letters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text += (device.Permissions >> bit) & 1u ? letters[(8 - bit) % 3] : '-';
    return text;
}

std::string OpenFailureText(const OpenFailure& failure, const DeviceFacts& device)
{
    switch (failure.Why) {
    case OpenRefusal::None:
        return {};
    case OpenRefusal::NoPortSelected:
        return "No port is selected: choose one in the port dialog.";
    case OpenRefusal::NoSpeedSelected:
        return "No speed is selected: choose one in the port dialog.";
    case OpenRefusal::NoDeviceMapped:
        return ComKey(failure) + " has no device: add a line " + ComKey(failure) +
               "=<device> to [Port] of " + SettingsFileName(failure) + ".";
    case OpenRefusal::PermissionDenied:
        return PermissionText(failure.Device, device);
    case OpenRefusal::NoSuchDevice:
        return MissingText(failure);
    case OpenRefusal::HeldByAnother:
        return HeldText(failure);
    case OpenRefusal::NotATerminal:
        return failure.Device + " is not a serial port: point " + ComKey(failure) + "= in [Port] of " +
               SettingsFileName(failure) + " at the counter's device.";
    case OpenRefusal::Other:
        break;
    }
    return OtherText(failure);
}

std::string DescribeOpenFailure(const OpenFailure& failure)
{
    const bool examine = failure.Why == OpenRefusal::PermissionDenied;
    return OpenFailureText(failure, examine ? ReadDeviceFacts(failure.Device) : DeviceFacts{});
}
