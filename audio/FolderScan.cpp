#include "audio/FolderScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <filesystem>
#include <mutex>
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

struct CFolderScan::Progress {
    std::mutex mutex;  // guards found and done
    std::condition_variable doneChanged;
    std::vector<FoundFile> found;
    bool done = false;
};

namespace {

using FolderIds = std::vector<std::pair<unsigned long, unsigned long>>;

void Walk(const std::string& folder, const DurationReader& reader, CFolderScan::Progress& progress,
          FolderIds& seen, std::stop_token stop) {
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
        if (stop.stop_requested()) return;
        if (name.front() == '.') continue;
        const std::string path = (folder.ends_with('/') ? folder : folder + "/") + name;
        if (fs::is_directory(path, error)) {
            Walk(path, reader, progress, seen, stop);
        } else if (IsMp3Name(name)) {
            FoundFile found{path, reader(path)};
            std::lock_guard lock(progress.mutex);
            progress.found.push_back(std::move(found));
        }
    }
}

}  // namespace

CFolderScan::CFolderScan(std::string folder, DurationReader reader)
    : m_progress(std::make_shared<Progress>()),
      m_thread("the folder scan of " + folder,
               [progress = m_progress, folder, reader = std::move(reader)](std::stop_token stop) {
                   try {
                       FolderIds seen;
                       Walk(folder, reader, *progress, seen, stop);
                   } catch (const std::exception& error) {
                       Logger().Log("folder scan of %s ended early: %s", folder.c_str(), error.what());
                   }
                   std::lock_guard lock(progress->mutex);
                   progress->done = true;
                   progress->doneChanged.notify_all();
               }) {}

bool CFolderScan::WaitDone(int ms) {
    std::unique_lock lock(m_progress->mutex);
    return m_progress->doneChanged.wait_for(lock, std::chrono::milliseconds(ms),
                                            [this] { return m_progress->done; });
}

std::vector<FoundFile> CFolderScan::TakeFound() {
    std::lock_guard lock(m_progress->mutex);
    return std::exchange(m_progress->found, {});
}

}  // namespace lumetra
