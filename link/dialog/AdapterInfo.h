#pragma once

#include <string>
#include <vector>

// What the port dialog tells about the device behind a port number, so that a
// user with several adapters knows which is which.
struct AdapterFacts {
    std::string Device;      // the mapped path; empty when the number has none
    bool Present = false;    // the path leads to a device now
    std::string Maker;       // USB adapters: from the device's descriptors
    std::string Product;
    std::string Serial;
    std::string StableName;  // its /dev/serial/by-id link, where one exists
};

// The tooltip text: the device and whether it is there, then one line for
// each fact that is known; translated like the window's texts.
std::string AdapterTooltip(const AdapterFacts& facts);

// The adapters present now, listed once (through Qt Serial Port, which asks
// udev) and then asked about each device path.
class AdapterLookup {
public:
    explicit AdapterLookup(std::string byIdFolder);

    // Presence, the USB facts and the by-id name found in the by-id folder.
    AdapterFacts Find(const std::string& device) const;

private:
    struct UsbFacts {
        std::string Node, Maker, Product, Serial;
    };
    std::string byIdFolder_;
    std::vector<UsbFacts> ports_;
};
