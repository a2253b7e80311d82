#include "pages/TaskFiles.h"

namespace lumetra {

QString DurationText(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60);
}

CTaskFiles::AddResult CTaskFiles::Check(const std::string& path) const {
    if (path.find('|') != std::string::npos) return AddResult::kUnstorable;
    return Contains(path) ? AddResult::kListed : AddResult::kAdded;
}

CTaskFiles::AddResult CTaskFiles::Add(const std::string& path) {
    if (Check(path) != AddResult::kAdded) return Check(path);
    const auto known = m_seconds.find(path);
    return Add(path, known != m_seconds.end() ? known->second : m_reader(path));
}

CTaskFiles::AddResult CTaskFiles::Add(const std::string& path, int seconds) {
    const AddResult result = Check(path);
    if (result == AddResult::kAdded) Append(path, seconds);
    return result;
}

CTaskFiles::AddResult CTaskFiles::AddStored(const std::string& path) {
    if (!Contains(path)) return Add(path);
    Append(path, m_seconds.at(path));
    return AddResult::kAdded;
}

void CTaskFiles::Append(const std::string& path, int seconds) {
    m_seconds[path] = seconds;
    m_paths.push_back(path);
    ++m_listed[path];
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
