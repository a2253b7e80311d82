#include "app/LinkStatusRelay.h"

#include "widgets/WindowEvent.h"

namespace lumetra {

void CLinkStatusRelay::SetTarget(QObject* target) {
    std::lock_guard lock(m_lock);
    m_target = target;
}

void CLinkStatusRelay::PostLinkStatus() {
    std::lock_guard lock(m_lock);
    if (m_target) PostWindowMessage(m_target, WM_LINK_STATUS);
}

CLinkStatusRelay& LinkStatusRelay() {
    static CLinkStatusRelay relay;
    return relay;
}

}  // namespace lumetra
