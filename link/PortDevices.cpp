#include "link/PortDevices.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "link/SerialDevices.h"

namespace lumetra {
namespace {

std::mutex g_lock;  // guards g_devices: set on the user-interface thread, read by the link's threads
std::map<int, std::string> g_devices;

}  // namespace

void SetChosenPortDevice(int number, const std::string& device) {
    std::lock_guard lock(g_lock);
    if (device.empty())
        g_devices.erase(number);
    else
        g_devices[number] = device;
}

std::string ChosenPortDevice(int number) {
    std::lock_guard lock(g_lock);
    const auto found = g_devices.find(number);
    return found == g_devices.end() ? std::string() : found->second;
}

std::string PortDeviceOverride(int number) {
    const char* device = std::getenv(("LUMETRA_COM" + std::to_string(number)).c_str());
    return device ? device : "";
}

PortDeviceOffer OfferPortDevices(int number, const std::string& devRoot) {
    PortDeviceOffer offer;
    if (const std::string device = PortDeviceOverride(number); !device.empty()) {
        offer.entries.push_back({"LUMETRA_COM" + std::to_string(number) + ": " + device, device});
        offer.locked = true;
        return offer;
    }
    offer.entries.push_back({"默认 (/dev/ttyS" + std::to_string(number - 1) + ")", ""});
    for (const SerialDevice& device : ListSerialDevices(devRoot))
        offer.entries.push_back({device.label, device.path});
    const std::string chosen = ChosenPortDevice(number);
    for (size_t i = 0; i < offer.entries.size(); ++i)
        if (offer.entries[i].device == chosen) {
            offer.chosen = i;
            return offer;
        }
    offer.entries.push_back({chosen + "（未连接）", chosen});
    offer.chosen = offer.entries.size() - 1;
    return offer;
}

}  // namespace lumetra
