#include "app/KeySwallower.h"

#include <QKeyEvent>
#include <QWidget>

namespace lumetra {
namespace {

constexpr const char* kSwallowProperty = "lumetraSwallowsEnterEscape";

bool IsEnterOrEscape(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Escape;
}

}  // namespace

void CKeySwallower::Mark(QWidget* window) {
    window->setProperty(kSwallowProperty, true);
}

bool CKeySwallower::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !IsEnterOrEscape(*static_cast<QKeyEvent*>(event))) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->isWindow() && widget->property(kSwallowProperty).toBool();
}

}  // namespace lumetra
