#include "app/ShutdownNotice.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "station/Station.h"

namespace lumetra {

CShutdownNotice::CShutdownNotice(CStation& station, QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_station(station),
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

void CShutdownNotice::Follow(const ShutdownView& view) {
    if (view.noticeSerial == m_shownSerial) return;
    m_shownSerial = view.noticeSerial;
    m_pending =
        view.notice == ShutdownView::Notice::kCountdown || view.notice == ShutdownView::Notice::kWaiting;
    switch (view.notice) {
        case ShutdownView::Notice::kCountdown:
            Present(QStringLiteral("系统将在%1秒后自动关机。").arg(view.secondsLeft), QStringLiteral("取消"));
            break;
        case ShutdownView::Notice::kWaiting:
            Present(QStringLiteral("自动关机时间已到，正在执行的广播任务结束、外设电源关闭后将自动关机。"),
                    QStringLiteral("取消"));
            break;
        case ShutdownView::Notice::kRefused:
            Present(QStringLiteral("自动关机失败：系统拒绝了关机，或无法与系统联系。\n明天同一时间将再次自动"
                                   "关机。\n\n详细信息：%1")
                        .arg(QString::fromStdString(view.refusal)),
                    QStringLiteral("关闭"));
            break;
        case ShutdownView::Notice::kHidden:
            hide();
            break;
    }
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
    // Cancelling skips today's shutdown only; the stored setting stays as it is. The notice goes
    // at once; the station confirms with a hidden notice.
    if (m_pending) m_station.CancelShutdownToday();
    m_pending = false;
    hide();
}

}  // namespace lumetra
