#include "app/PortAlertBox.h"

#include <QThread>
#include <memory>

#include "link/Logger.h"
#include "widgets/MessageBox.h"

namespace lumetra {

void CPortAlertBox::Show(const std::string& text, const std::string& caption) {
    ShowMessage(nullptr, QString::fromStdString(text), MbButtons::Ok, MbIcon::Error,
                caption.empty() ? QString::fromUtf8(kAppCaption) : QString::fromStdString(caption));
}

void CPortAlertBox::ShowPortError(const std::string& text, const std::string& caption) {
    Logger().Log("port alert: %s", text.c_str());
    if (QThread::currentThread() == thread()) {
        if (!IsClosed()) Show(text, caption);
        return;
    }
    std::unique_lock lock(m_lock);
    if (m_closed) return;
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, text, caption, done] {
            if (!IsClosed()) Show(text, caption);
            std::lock_guard answered(m_lock);
            *done = true;
            m_changed.notify_all();
        },
        Qt::QueuedConnection);
    m_changed.wait(lock, [&] { return m_closed || *done; });
}

bool CPortAlertBox::IsClosed() {
    std::lock_guard lock(m_lock);
    return m_closed;
}

void CPortAlertBox::Close() {
    std::lock_guard lock(m_lock);
    m_closed = true;
    m_changed.notify_all();
}

CPortAlertBox& PortAlertBox() {
    static CPortAlertBox box;
    return box;
}

}  // namespace lumetra
