#include "pages/TaskFiles.h"

namespace lumetra {

QString DurationText(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

CTaskFiles::AddResult CTaskFiles::Check(const std::string& path) const {
    if (path.find('|') != std::string::npos) return AddResult::kUnstorable;
    return Contains(path) ? AddResult::kListed : AddResult::kAdded;
}

CTaskFiles::AddResult CTaskFiles::Add(const std::string& path) {
    const AddResult result = Check(path);
    if (result == AddResult::kAdded) Append(path);
    return result;
}

CTaskFiles::AddResult CTaskFiles::Add(const std::string& path, int seconds) {
    const AddResult result = Add(path);
    if (result == AddResult::kAdded) SetLength(path, {true, seconds});
    return result;
}

CTaskFiles::AddResult CTaskFiles::AddStored(const std::string& path) {
    if (!Contains(path)) return Add(path);
    Append(path);
    return AddResult::kAdded;
}

void CTaskFiles::Append(const std::string& path) {
    if (m_lengths.try_emplace(path).second) m_unread.push_back(path);
    m_paths.push_back(path);
    ++m_listed[path];
}

std::optional<FileLength> CTaskFiles::Length(size_t index) const {
    return m_lengths.at(m_paths.at(index));
}

std::vector<std::string> CTaskFiles::TakeUnread() {
    std::vector<std::string> unread;
    for (std::string& path : m_unread)
        if (!m_lengths.at(path)) unread.push_back(std::move(path));
    m_unread.clear();
    return unread;
}

void CTaskFiles::Remove(size_t index) {
    if (index >= m_paths.size()) return;
    if (--m_listed[m_paths[index]] == 0) m_listed.erase(m_paths[index]);
    m_paths.erase(m_paths.begin() + static_cast<long>(index));
}

void CTaskFiles::Clear() {
    m_paths.clear();
    m_listed.clear();
}

}  // namespace lumetra
