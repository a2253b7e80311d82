#include "audio/FolderScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "audio/Mp3Info.h"
#include "base/Logger.h"

namespace lumetra {

int ReadPlayingSeconds(const std::string& path) {
    CMp3Info info;
    return info.Open(path) ? info.PlayingTime() : 0;
}

bool IsMp3Name(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".mp3";
}

CFolderScan::CFolderScan(std::string folder, DurationReader reader) : m_reader(std::move(reader)) {
    m_thread = std::thread([this, folder = std::move(folder)] { Run(folder); });
}

CFolderScan::~CFolderScan() {
    Cancel();
    m_thread.join();
}

void CFolderScan::Cancel() {
    m_cancel = true;
}

bool CFolderScan::WaitDone(int ms) {
    std::unique_lock lock(m_mutex);
    return m_doneChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_done; });
}

std::vector<FoundFile> CFolderScan::TakeFound() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_found, {});
}

void CFolderScan::Run(const std::string& folder) {
    try {
        std::vector<std::pair<unsigned long, unsigned long>> seen;
        Walk(folder, seen);
    } catch (const std::exception& error) {
        Logger().Log("folder scan of %s ended early: %s", folder.c_str(), error.what());
    }
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_doneChanged.notify_all();
}

void CFolderScan::Walk(const std::string& folder,
                       std::vector<std::pair<unsigned long, unsigned long>>& seen) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) return;
    const std::pair<unsigned long, unsigned long> id(info.st_dev, info.st_ino);
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) return;
    seen.push_back(id);

    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (m_cancel) return;
        if (name.front() == '.') continue;
        const std::string path = (folder.ends_with('/') ? folder : folder + "/") + name;
        if (fs::is_directory(path, error)) {
            Walk(path, seen);
        } else if (IsMp3Name(name)) {
            FoundFile found{path, m_reader(path)};
            std::lock_guard lock(m_mutex);
            m_found.push_back(std::move(found));
        }
    }
}

}  // namespace lumetra
