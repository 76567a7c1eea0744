#include <filesystem>

#include <QTranslator>
#include <gtest/gtest.h>

#include "app/Translation.h"
#include "link/dialog/AdapterInfo.h"
#include "tests/support/RowName.h"
#include "tests/support/TempDir.h"
#include "tools/simulator/CounterPty.h"

namespace fs = std::filesystem;

namespace {

struct TooltipRow {
    const char* Name;
    AdapterFacts Facts;
    const char* Text;
};

class AdapterTooltipTest : public testing::TestWithParam<TooltipRow> {};

// Through the English translation: the texts are written in Japanese.
TEST_P(AdapterTooltipTest, SaysWhatIsKnown)
{
    const auto english = InstallTranslation("en");
    EXPECT_EQ(AdapterTooltip(GetParam().Facts), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Facts, AdapterTooltipTest,
    testing::Values(
        TooltipRow{"NoDevice", {}, "no device"},
        TooltipRow{"Away", {"/dev/ttyUSB0", false, "", "", "", ""}, "/dev/ttyUSB0 (not present)"},
        TooltipRow{"UsbAdapter",
                   {"/dev/ttyUSB0", true, "FTDI", "FT232R USB UART", "A9XYZ123",
                    "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XYZ123-if00-port0"},
                   "/dev/ttyUSB0 (present)\nMaker: FTDI\nProduct: FT232R USB UART\nSerial number: A9XYZ123\n"
                   "Stable name: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XYZ123-if00-port0"}),
    kRowName);

TEST(AdapterLookup, FindsThePresenceAndTheStableNameOfAPty)
{
    CounterPty pty;
    TempDir dir;
    const fs::path byId = fs::path(dir.Path()) / "by-id";
    fs::create_directory(byId);
    fs::create_symlink(pty.SlavePath(), byId / "usb-Counter_A1-if00-port0");
    const AdapterLookup adapters(byId.string());
    const AdapterFacts facts = adapters.Find(pty.SlavePath());
    EXPECT_TRUE(facts.Present);
    EXPECT_EQ(facts.StableName, (byId / "usb-Counter_A1-if00-port0").string());
    EXPECT_FALSE(adapters.Find((byId / "gone").string()).Present);
}

}  // namespace
