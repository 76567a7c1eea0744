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

AdapterLookup::AdapterLookup(std::string byIdFolder) : byIdFolder_(std::move(byIdFolder))
{
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        ports_.push_back({port.systemLocation().toStdString(), port.manufacturer().toStdString(),
                          port.description().toStdString(), port.serialNumber().toStdString()});
}

AdapterFacts AdapterLookup::Find(const std::string& device) const
{
    AdapterFacts facts;
    facts.Device = device;
    const std::string node = device.empty() ? std::string() : DeviceNode(device);
    facts.Present = !node.empty();
    if (!facts.Present)
        return facts;
    facts.StableName = FindStableName(device, byIdFolder_);
    for (const UsbFacts& port : ports_) {
        if (port.Node == node) {
            facts.Maker = port.Maker;
            facts.Product = port.Product;
            facts.Serial = port.Serial;
        }
    }
    return facts;
}
