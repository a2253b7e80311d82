// The serial device chosen for each port number on the settings page. The user interface hands
// over the stored choices at start and every change; the port reads them when it opens "comN".
// What the settings page's device box offers is decided here too, without widgets.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lumetra {

// An empty device clears the choice of port `number`.
void SetChosenPortDevice(int number, const std::string& device);
std::string ChosenPortDevice(int number);
// The device LUMETRA_COM<N> names for port `number`; "" when the variable is unset or empty.
std::string PortDeviceOverride(int number);

struct PortDeviceEntry {
    std::string label;   // what the operator reads
    std::string device;  // "" for the default /dev/ttyS<N-1>
};
struct PortDeviceOffer {
    std::vector<PortDeviceEntry> entries;
    size_t chosen = 0;    // the entry in force
    bool locked = false;  // LUMETRA_COM<N> decides; the operator cannot choose
};
// The choices for port `number` (1..4) among the serial devices under `devRoot`: the override
// alone, locked; else the default, the devices found, and a chosen device that is unplugged, kept
// and marked so it is found again when the adapter returns.
PortDeviceOffer OfferPortDevices(int number, const std::string& devRoot);

}  // namespace lumetra
