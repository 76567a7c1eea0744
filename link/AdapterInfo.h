#pragma once

#include <string>

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
// each fact that is known.
std::string AdapterTooltip(const AdapterFacts& facts);

// Looks the device up now: presence, the USB facts as udev knows them
// (through Qt Serial Port) and the by-id name found in byIdFolder.
AdapterFacts LookUpAdapter(const std::string& device, const std::string& byIdFolder);
