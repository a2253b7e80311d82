#include "widgets/WindowEvent.h"

#include <QCoreApplication>

namespace lumetra {

void PostWindowMessage(QObject* target, WindowMessage message) {
    QCoreApplication::postEvent(target, new CWindowEvent(message));
}

}  // namespace lumetra
