#include "app/KeySwallower.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
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
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    if (!IsEnterOrEscape(*static_cast<QKeyEvent*>(event))) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // In a multi-line text Enter starts a new line.
    const auto* text = qobject_cast<QPlainTextEdit*>(watched);
    if (text && !text->isReadOnly() && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
    return widget && widget->window()->property(kSwallowProperty).toBool();
}

}  // namespace lumetra
