#include "widgets/WindowEvent.h"

#include <QCoreApplication>
#include <array>

namespace lumetra {

QEvent::Type CWindowEvent::TypeOf(WindowMessage message) {
    // Made once, on whichever thread asks first; later calls only read.
    static const std::array<QEvent::Type, kWindowMessageCount> registered = [] {
        std::array<QEvent::Type, kWindowMessageCount> types{};
        for (QEvent::Type& type : types) type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return types;
    }();
    return registered.at(static_cast<size_t>(message));
}

void PostWindowMessage(QObject* target, WindowMessage message) {
    QCoreApplication::postEvent(target, new CWindowEvent(message));
}

}  // namespace lumetra
