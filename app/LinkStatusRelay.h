// Carries the link's notices to whichever main window is alive. The link's reader thread may call
// at any moment, also while a main window is being destroyed; the relay lives as long as the
// process and posts only while a target is set, so no notice can reach a window that is gone.
#pragma once

#include <QObject>
#include <mutex>

#include "link/LinkNotifier.h"

namespace lumetra {

class CLinkStatusRelay : public ILinkNotifier {
public:
    void SetTarget(QObject* target);
    void PostLinkStatus() override;

private:
    std::mutex m_lock;  // guards m_target; held while posting, which never waits
    QObject* m_target = nullptr;
};

// The relay the program hands to its links.
CLinkStatusRelay& LinkStatusRelay();

}  // namespace lumetra
