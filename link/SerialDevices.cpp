#include "link/SerialDevices.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace lumetra {
namespace {

namespace fs = std::filesystem;

// "ttyUSB10" sorts after "ttyUSB9".
std::tuple<std::string, int> NaturalKey(const std::string& name) {
    const size_t digits = name.find_last_not_of("0123456789") + 1;
    if (digits == name.size()) return {name, -1};
    return {name.substr(0, digits), std::stoi(name.substr(digits))};
}

}  // namespace

std::string ReadableAdapterName(const std::string& byIdName) {
    std::string name = byIdName;
    for (const char* bus : {"usb-", "pci-", "platform-"})
        if (name.starts_with(bus)) name.erase(0, std::string(bus).size());
    // The interface and port suffix ("-if00-port0", "-if00") names nothing the operator knows.
    if (const size_t suffix = name.rfind("-if"); suffix != std::string::npos && suffix > 0)
        name.erase(suffix);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

std::vector<SerialDevice> ListSerialDevices(const std::string& devRoot) {
    std::vector<SerialDevice> devices;
    std::error_code ec;
    std::vector<fs::path> byId;
    for (const auto& entry : fs::directory_iterator(fs::path(devRoot) / "serial" / "by-id", ec))
        byId.push_back(entry.path());
    std::sort(byId.begin(), byId.end());
    for (const fs::path& link : byId) {
        const fs::path target = fs::canonical(link, ec);
        if (ec) continue;  // a link whose adapter is gone
        devices.push_back({link.string(), ReadableAdapterName(link.filename().string()) + " (" +
                                              target.filename().string() + ")"});
    }
    std::vector<std::string> nodes;
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
            if (name.starts_with(prefix) && name.size() > std::string(prefix).size()) nodes.push_back(name);
    }
    // USB adapters first: they are what a transmitter is usually plugged into.
    auto rank = [](const std::string& name) { return name.starts_with("ttyS") ? 1 : 0; };
    std::sort(nodes.begin(), nodes.end(), [&](const std::string& a, const std::string& b) {
        return std::tuple(rank(a), NaturalKey(a)) < std::tuple(rank(b), NaturalKey(b));
    });
    for (const std::string& name : nodes) devices.push_back({(fs::path(devRoot) / name).string(), name});
    return devices;
}

}  // namespace lumetra
