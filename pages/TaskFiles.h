// The audio files of the task being edited, in list order, each with its playing time once it is
// known. A path's length is remembered once read, so rebuilding the list never reads a file
// again; what is saved is the paths alone, whether or not their lengths have arrived.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "audio/FileLengthReader.h"

namespace lumetra {

// Minutes, then seconds in two digits: 185 -> "3:05", 60 -> "1:00".
QString DurationText(int seconds);

class CTaskFiles {
public:
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
    void SetLength(const std::string& path, FileLength length) { m_lengths[path] = length; }

    const std::vector<std::string>& Paths() const { return m_paths; }
    size_t Count() const { return m_paths.size(); }
    // Absent until the length has been read.
    std::optional<FileLength> Length(size_t index) const;
    // Listed paths whose length nobody has read yet, each once.
    std::vector<std::string> TakeUnread();
    bool Contains(const std::string& path) const { return m_listed.count(path) > 0; }

private:
    AddResult Check(const std::string& path) const;
    void Append(const std::string& path);

    std::vector<std::string> m_paths;
    std::unordered_map<std::string, int> m_listed;                         // how often each path is listed
    std::unordered_map<std::string, std::optional<FileLength>> m_lengths;  // every path ever listed
    std::vector<std::string> m_unread;                                     // listed, not yet asked for
};

}  // namespace lumetra
