// Finds the MP3 files of a folder and of all its subfolders on a thread of its own, reading each
// file's playing time there too, while the user interface shows progress and may cancel.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumetra {

// Whole seconds of playing time; 0 when the file says nothing about it.
using DurationReader = std::function<int(const std::string& path)>;
// The media information reader on a file.
int ReadPlayingSeconds(const std::string& path);

struct FoundFile {
    std::string path;
    int seconds;
};

// "*.mp3" without regard to letter case: "a.mp3" and "b.MP3" match, ".mp3" alone does too.
bool IsMp3Name(const std::string& name);

class CFolderScan {
public:
    // Starts at once. Within each folder, entries come in name order; a subfolder is entered
    // where its name comes. Names beginning with "." are skipped; a folder reached twice
    // (through a symbolic link) is entered once. Paths are the folder and the names joined by "/".
    CFolderScan(std::string folder, DurationReader reader);
    ~CFolderScan();  // cancels and joins
    CFolderScan(const CFolderScan&) = delete;
    CFolderScan& operator=(const CFolderScan&) = delete;

    void Cancel();
    // Waits up to `ms` milliseconds for the scan to finish; true when it has.
    bool WaitDone(int ms);
    // What was found since the last call, in scan order.
    std::vector<FoundFile> TakeFound();

private:
    void Run(const std::string& folder);
    void Walk(const std::string& folder, std::vector<std::pair<unsigned long, unsigned long>>& seen);

    DurationReader m_reader;
    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;  // guards m_found and m_done
    std::condition_variable m_doneChanged;
    std::vector<FoundFile> m_found;
    bool m_done = false;
    std::thread m_thread;
};

}  // namespace lumetra
