// The audio files of the task being edited, in list order, each with its playing time. A file's
// playing time is read once per path and remembered, so rebuilding the list never reads a file
// again.
#pragma once

#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

#include "audio/FolderScan.h"

namespace lumetra {

// "%d:%d", minutes and seconds unpadded: 185 -> "3:5".
QString DurationText(int seconds);

class CTaskFiles {
public:
    explicit CTaskFiles(DurationReader reader) : m_reader(std::move(reader)) {}

    enum class AddResult { kAdded, kListed, kUnstorable };
    // Appends a path unless it is listed already (compared byte for byte). A path holding "|"
    // cannot be stored, since "|" separates the stored paths.
    AddResult Add(const std::string& path);
    // The same, with a playing time read elsewhere (a folder scan reads on its own thread).
    AddResult Add(const std::string& path, int seconds);
    // A path of a stored task: appended even when listed, since a stored list may play a file
    // twice and a change must not drop the repeat.
    AddResult AddStored(const std::string& path);
    void Remove(size_t index);
    void Clear();

    const std::vector<std::string>& Paths() const { return m_paths; }
    size_t Count() const { return m_paths.size(); }
    int Seconds(size_t index) const { return m_seconds.at(m_paths.at(index)); }
    bool Contains(const std::string& path) const { return m_listed.count(path) > 0; }

private:
    AddResult Check(const std::string& path) const;
    void Append(const std::string& path, int seconds);

    DurationReader m_reader;
    std::vector<std::string> m_paths;
    std::unordered_map<std::string, int> m_listed;   // how often each path is listed
    std::unordered_map<std::string, int> m_seconds;  // every path ever read, listed or not
};

}  // namespace lumetra
