// Finds the MP3 files of a folder and of all its subfolders on a thread of its own, reading each
// file's playing time there too, while the user interface shows progress and may cancel.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/WorkerThread.h"

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
    // Cancels. A scan blocked in a file (a named pipe, a hung network share) is left to end on its
    // own; what it finds from then on is dropped.
    ~CFolderScan() = default;
    CFolderScan(const CFolderScan&) = delete;
    CFolderScan& operator=(const CFolderScan&) = delete;

    // The scan stops before the next file.
    void Cancel() { m_thread.RequestStop(); }
    // Waits up to `ms` milliseconds for the scan to finish; true when it has.
    bool WaitDone(int ms);
    // What was found since the last call, in scan order.
    std::vector<FoundFile> TakeFound();

    struct Progress;  // shared with the scan's thread, which may outlive this object

private:
    std::shared_ptr<Progress> m_progress;
    CWorkerThread m_thread;
};

}  // namespace lumetra
