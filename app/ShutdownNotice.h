// The small window that announces the automatic shutdown: a countdown over the last minute with
// a "取消" button that skips today's shutdown, a note while a broadcast holds the power-off back,
// and the reason when the power-off was refused. It never blocks: broadcasts and timers go on
// while it is shown.
#pragma once

#include <QWidget>

#include "schedule/ShutdownNotice.h"

class QLabel;
class QPushButton;

namespace lumetra {

class CAutoShutdown;

class CShutdownNotice : public QWidget, public IShutdownNotice {
    Q_OBJECT
public:
    // A top-level window of its own, placed over `owner` when that is on screen.
    CShutdownNotice(CAutoShutdown& shutdown, QWidget* owner);

    void ShowCountdown(long secondsLeft) override;
    void ShowWaitingForBroadcast() override;
    void ShowPowerOffRefused(const std::string& reason) override;
    void HideNotice() override;

    QLabel* Message() const { return m_message; }
    QPushButton* Button() const { return m_button; }

private:
    void Present(const QString& text, const QString& buttonText);
    void OnButton();

    CAutoShutdown& m_shutdown;
    QWidget* m_owner;
    QLabel* m_message;
    QPushButton* m_button;  // "取消" while the shutdown is pending, "关闭" after a refusal
    bool m_pending = false;
};

}  // namespace lumetra
