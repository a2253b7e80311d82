// The small window that announces the automatic shutdown: a countdown over the last minute with
// a "取消" button that skips today's shutdown, a note while a broadcast holds the power-off back,
// and the reason when the power-off was refused. It never blocks: broadcasts and timers go on
// while it is shown.
#pragma once

#include <QWidget>

#include "station/ShutdownThread.h"

class QLabel;
class QPushButton;

namespace lumetra {

class CStation;

class CShutdownNotice : public QWidget {
    Q_OBJECT
public:
    // A top-level window of its own, placed over `owner` when that is on screen.
    CShutdownNotice(CStation& station, QWidget* owner);

    // Shows the station's notice, each one once: a notice the operator closed stays closed.
    void Follow(const ShutdownView& view);

    QLabel* Message() const { return m_message; }
    QPushButton* Button() const { return m_button; }

private:
    void Present(const QString& text, const QString& buttonText);
    void OnButton();

    CStation& m_station;
    QWidget* m_owner;
    QLabel* m_message;
    QPushButton* m_button;  // "取消" while the shutdown is pending, "关闭" after a refusal
    bool m_pending = false;
    unsigned m_shownSerial = 0;  // the last notice followed
};

}  // namespace lumetra
