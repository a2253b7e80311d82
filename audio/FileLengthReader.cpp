#include "audio/FileLengthReader.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>

namespace lumetra {

struct CFileLengthReader::Queue {
    std::mutex mutex;  // guards paths and deliver
    std::condition_variable_any changed;
    std::deque<std::string> paths;
    Deliver deliver;  // emptied when the reader goes
};

namespace {

void ReadLengths(CFileLengthReader::Queue& queue, const DurationReader& reader, std::stop_token stop) {
    for (;;) {
        std::string path;
        {
            std::unique_lock lock(queue.mutex);
            if (!queue.changed.wait(lock, stop, [&] { return !queue.paths.empty(); })) return;
            path = std::move(queue.paths.front());
            queue.paths.pop_front();
        }
        std::error_code error;
        FileLength length;
        length.exists = std::filesystem::exists(path, error);
        if (length.exists) length.seconds = reader(path);
        std::lock_guard lock(queue.mutex);
        if (queue.deliver && !stop.stop_requested()) queue.deliver(path, length);
    }
}

}  // namespace

CFileLengthReader::CFileLengthReader(DurationReader reader, Deliver deliver)
    : m_queue(std::make_shared<Queue>()),
      m_thread("the file length reader", [queue = m_queue, reader = std::move(reader)](std::stop_token stop) {
          ReadLengths(*queue, reader, stop);
      }) {
    m_queue->deliver = std::move(deliver);
}

CFileLengthReader::~CFileLengthReader() {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->deliver = nullptr;
    }
    m_thread.Release();
}

void CFileLengthReader::Read(const std::vector<std::string>& paths) {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->paths.insert(m_queue->paths.end(), paths.begin(), paths.end());
    }
    m_queue->changed.notify_one();
}

}  // namespace lumetra
