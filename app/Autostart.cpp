#include "app/Autostart.h"

#include <cstdlib>
#include <filesystem>

namespace lumetra {

std::string AutostartEntryPath() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/autostart/Corvala.desktop";
}

bool AutostartEntryExists() {
    std::error_code ec;
    return std::filesystem::is_regular_file(AutostartEntryPath(), ec);
}

}  // namespace lumetra
