// Reads the playing time of audio files on a thread of its own, one after the other in the order
// asked, and hands each to the owner's callback on that thread. Destroying the reader stops it
// between two files; a file whose read blocks (a hung network share) is left to end on its own
// and its length dropped: the callback is never called once the reader has gone.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/FolderScan.h"
#include "base/WorkerThread.h"

namespace lumetra {

struct FileLength {
    bool exists = false;
    int seconds = 0;  // 0 when the file says nothing about it
};

class CFileLengthReader {
public:
    using Deliver = std::function<void(const std::string& path, FileLength length)>;

    CFileLengthReader(DurationReader reader, Deliver deliver);
    ~CFileLengthReader();
    CFileLengthReader(const CFileLengthReader&) = delete;
    CFileLengthReader& operator=(const CFileLengthReader&) = delete;

    // Queues the paths after those asked for before.
    void Read(const std::vector<std::string>& paths);

    struct Queue;  // shared with the thread, which may outlive the reader

private:
    std::shared_ptr<Queue> m_queue;
    CWorkerThread m_thread;
};

}  // namespace lumetra
