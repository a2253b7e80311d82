// Enter and Escape do nothing in the main window, its pages and the windows it owns: neither may
// close a page or the window by accident. Message boxes keep their keys, and Enter still starts a
// new line in a multi-line text. Windows opt in with
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
