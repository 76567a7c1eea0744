#include "link/AdapterInfo.h"

#include <QSerialPortInfo>

#include "link/StableName.h"

namespace {

void AddLine(std::string& text, const char* label, const std::string& value)
{
    if (!value.empty())
        text += std::string("\n") + label + value;
}

}  // namespace

std::string AdapterTooltip(const AdapterFacts& facts)
{
    if (facts.Device.empty())
        return "no device";
    std::string text = facts.Device + (facts.Present ? " (present)" : " (not present)");
    AddLine(text, "Maker: ", facts.Maker);
    AddLine(text, "Product: ", facts.Product);
    AddLine(text, "Serial number: ", facts.Serial);
    AddLine(text, "Stable name: ", facts.StableName);
    return text;
}

AdapterFacts LookUpAdapter(const std::string& device, const std::string& byIdFolder)
{
    AdapterFacts facts;
    facts.Device = device;
    const std::string node = device.empty() ? std::string() : DeviceNode(device);
    facts.Present = !node.empty();
    if (!facts.Present)
        return facts;
    facts.StableName = FindStableName(device, byIdFolder);
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        if (port.systemLocation().toStdString() != node)
            continue;
        facts.Maker = port.manufacturer().toStdString();
        facts.Product = port.description().toStdString();
        facts.Serial = port.serialNumber().toStdString();
    }
    return facts;
}
