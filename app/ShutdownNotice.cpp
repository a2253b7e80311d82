#include "app/ShutdownNotice.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "schedule/AutoShutdown.h"

namespace lumetra {

CShutdownNotice::CShutdownNotice(CAutoShutdown& shutdown, QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_shutdown(shutdown),
      m_owner(owner),
      m_message(new QLabel(this)),
      m_button(new QPushButton(this)) {
    setWindowTitle(QStringLiteral("系统自动关机"));
    m_message->setWordWrap(true);
    m_message->setMinimumWidth(300);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_button, 0, Qt::AlignRight);
    connect(m_button, &QPushButton::clicked, this, &CShutdownNotice::OnButton);
}

void CShutdownNotice::ShowCountdown(long secondsLeft) {
    m_pending = true;
    Present(QStringLiteral("系统将在%1秒后自动关机。").arg(secondsLeft), QStringLiteral("取消"));
}

void CShutdownNotice::ShowWaitingForBroadcast() {
    m_pending = true;
    Present(QStringLiteral("自动关机时间已到，正在执行的广播任务结束、外设电源关闭后将自动关机。"),
            QStringLiteral("取消"));
}

void CShutdownNotice::ShowPowerOffRefused(const std::string& reason) {
    m_pending = false;
    Present(
        QStringLiteral("自动关机失败：%1\n明天同一时间将再次自动关机。").arg(QString::fromStdString(reason)),
        QStringLiteral("关闭"));
}

void CShutdownNotice::HideNotice() {
    m_pending = false;
    hide();
}

void CShutdownNotice::Present(const QString& text, const QString& buttonText) {
    m_message->setText(text);
    m_button->setText(buttonText);
    if (isVisible()) return;
    adjustSize();
    if (m_owner && m_owner->isVisible() && !m_owner->isMinimized())
        move(m_owner->geometry().center() - rect().center());
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
}

void CShutdownNotice::OnButton() {
    // Cancelling skips today's shutdown only; the stored setting stays as it is.
    if (m_pending)
        m_shutdown.CancelToday();
    else
        hide();
}

}  // namespace lumetra
