#include "link/PortDevices.h"

#include <map>
#include <mutex>

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

}  // namespace lumetra
