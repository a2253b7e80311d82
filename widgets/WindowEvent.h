// A window message of the core turned into a Qt event. Threads post it with
// QCoreApplication::postEvent (which never waits); the target handles it on the user-interface
// thread in its event() override.
#pragma once

#include <QEvent>

#include "schedule/WindowMessages.h"

namespace lumetra {

class CWindowEvent : public QEvent {
public:
    explicit CWindowEvent(WindowMessage message) : QEvent(TypeOf(message)), m_message(message) {}
    WindowMessage Message() const { return m_message; }

    // Each message's event type, registered with Qt on first use, so no other code's user event
    // can take the same number.
    static QEvent::Type TypeOf(WindowMessage message);

private:
    WindowMessage m_message;
};

// Posts `message` to `target`; safe from any thread.
void PostWindowMessage(QObject* target, WindowMessage message);

}  // namespace lumetra
