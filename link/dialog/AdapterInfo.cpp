#include "link/dialog/AdapterInfo.h"

#include <QCoreApplication>
#include <QSerialPortInfo>

#include "link/replug/StableName.h"

namespace {

// The texts are written in Japanese and shown through the program's translation.
class TooltipTexts {
    Q_DECLARE_TR_FUNCTIONS(AdapterInfo)
};

void AddLine(QString& text, const QString& label, const std::string& value)
{
    if (!value.empty())
        text += u'\n' + label.arg(QString::fromStdString(value));
}

}  // namespace

std::string AdapterTooltip(const AdapterFacts& facts)
{
    if (facts.Device.empty())
        return TooltipTexts::tr("デバイスなし").toStdString();
    QString text = (facts.Present ? TooltipTexts::tr("%1 (接続中)") : TooltipTexts::tr("%1 (未接続)"))
                       .arg(QString::fromStdString(facts.Device));
    AddLine(text, TooltipTexts::tr("メーカー: %1"), facts.Maker);
    AddLine(text, TooltipTexts::tr("製品: %1"), facts.Product);
    AddLine(text, TooltipTexts::tr("シリアル番号: %1"), facts.Serial);
    AddLine(text, TooltipTexts::tr("固定名: %1"), facts.StableName);
    return text.toStdString();
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
