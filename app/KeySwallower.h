// Enter and Escape do nothing to the main window: neither may close it by accident. A field, list
// or button that uses the key gets it first (Enter plays a list entry, starts a new line, presses
// the focused button); only a key left to the window itself is swallowed. Windows opt in with
// CKeySwallower::Mark.
#pragma once

#include <QObject>

class QWidget;

namespace lumetra {

class CKeySwallower : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static void Mark(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lumetra
