#include "store/StatementGate.h"

namespace lumetra {

void CStatementGate::Enter() {
    std::unique_lock lock(m_lock);
    if (m_depths[std::this_thread::get_id()]++ > 0) return;
    m_changed.wait(lock, [this] { return !m_closed; });
    ++m_inside;
}

void CStatementGate::Leave() {
    std::lock_guard lock(m_lock);
    const auto depth = m_depths.find(std::this_thread::get_id());
    if (--depth->second > 0) return;
    m_depths.erase(depth);
    if (--m_inside == 0) m_changed.notify_all();
}

bool CStatementGate::Close(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_lock);
    if (m_depths.contains(std::this_thread::get_id())) return false;  // it would wait for itself
    m_changed.wait(lock, [this] { return !m_closed; });               // one replacement at a time
    m_closed = true;
    if (m_changed.wait_for(lock, wait, [this] { return m_inside == 0; })) return true;
    m_closed = false;
    m_changed.notify_all();
    return false;
}

void CStatementGate::Open() {
    std::lock_guard lock(m_lock);
    m_closed = false;
    m_changed.notify_all();
}

}  // namespace lumetra
