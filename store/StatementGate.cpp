#include "store/StatementGate.h"

#include <map>

namespace lumetra {

int& CStatementGate::Depth() {
    thread_local std::map<const CStatementGate*, int> depths;
    return depths[this];
}

void CStatementGate::Enter() {
    int& depth = Depth();
    if (depth++ > 0) return;
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return !m_closed; });
    ++m_inside;
}

void CStatementGate::Leave() {
    if (--Depth() > 0) return;
    std::lock_guard lock(m_lock);
    if (--m_inside == 0) m_changed.notify_all();
}

bool CStatementGate::Close(std::chrono::milliseconds wait) {
    if (Depth() > 0) return false;  // it would wait for itself
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return !m_closed; });  // one replacement at a time
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
