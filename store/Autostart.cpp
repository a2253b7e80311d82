#include "store/Autostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/Logger.h"
#include "store/ChangeJournal.h"
#include "store/DesktopId.h"
#include "store/LoggedIn.h"

namespace lumetra {
namespace fs = std::filesystem;
namespace {

// The name the entry had before it took the desktop id.
constexpr const char* kFormerEntryName = "Corvala.desktop";

std::string AutostartFolder() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = ".config";
    }
    return base + "/autostart/";
}

}  // namespace

std::string AutostartEntryPath() {
    return AutostartFolder() + kDesktopFileName;
}

void MoveFormerAutostartEntry() {
    const fs::path former = AutostartFolder() + kFormerEntryName;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(former, ec))) return;
    const fs::path entry = AutostartEntryPath();
    const bool both = fs::exists(fs::symlink_status(entry, ec));
    std::error_code refused;
    if (both)
        fs::remove(former, refused);
    else
        fs::rename(former, entry, refused);
    if (refused)
        Logger().Log("autostart: cannot move %s to %s: %s", former.c_str(), entry.c_str(),
                     refused.message().c_str());
    else
        Logger().Log("autostart: %s %s, %s is the entry", former.c_str(), both ? "removed" : "renamed",
                     entry.c_str());
}

bool AutostartEntryExists() {
    std::error_code ec;
    return fs::is_regular_file(AutostartEntryPath(), ec);
}

std::string RunningProgramPath() {
    std::error_code ec;
    const fs::path path = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

std::string DesktopExecValue(const std::string& path) {
    // Inside the quotes '"', '`', '$' and '\' take a backslash; the value as a whole is a string
    // whose own escape doubles every backslash; '%' would begin a field code.
    std::string value = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$')
            value += "\\\\";
        else if (c == '\\')
            value += "\\\\\\";
        else if (c == '%')
            value += '%';
        value += c;
    }
    return value + "\"";
}

bool WriteAutostartEntry(const std::string& programPath, std::string* error) {
    if (!MayAdminister()) {
        *error = "只有管理员可以修改程序自启动设置。";
        return false;
    }
    if (programPath.empty() || programPath.find_first_of("\n\r") != std::string::npos) {
        *error = "程序路径无法写入自启动项：" + programPath;
        return false;
    }
    const fs::path entry = AutostartEntryPath();
    std::error_code ec;
    fs::create_directories(entry.parent_path(), ec);
    if (ec) {
        *error = "无法建立目录 " + entry.parent_path().string() + "：" + ec.message();
        return false;
    }
    // Written beside the entry and renamed over it, so a full disk never leaves half an entry.
    const fs::path partial = entry.string() + ".new";
    std::ofstream out(partial, std::ios::trunc);
    if (out.is_open()) {
        out << "[Desktop Entry]\nType=Application\nName=Lumetra\nExec=" << DesktopExecValue(programPath)
            << "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
        out.close();
    }
    if (!out) {
        *error = "无法写入 " + entry.string() + "：" + std::strerror(errno);
        fs::remove(partial, ec);
        return false;
    }
    const bool before = AutostartEntryExists();
    fs::rename(partial, entry, ec);
    if (ec) {
        *error = "无法写入 " + entry.string() + "：" + ec.message();
        fs::remove(partial, ec);
        return false;
    }
    JournalSettingChange("开机自启动", before ? "开" : "关", "开");
    return true;
}

EntryRemoval RemoveAutostartEntry(std::string* error) {
    if (!MayAdminister()) {
        *error = "只有管理员可以修改程序自启动设置。";
        return EntryRemoval::kRefused;
    }
    const fs::path entry = AutostartEntryPath();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(entry, ec))) return EntryRemoval::kAbsent;
    if (fs::remove(entry, ec) && !ec) {
        JournalSettingChange("开机自启动", "开", "关");
        return EntryRemoval::kRemoved;
    }
    *error = "无法删除 " + entry.string() + "：" + ec.message();
    return EntryRemoval::kRefused;
}

}  // namespace lumetra
