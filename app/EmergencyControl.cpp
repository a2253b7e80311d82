#include "app/EmergencyControl.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include "station/Station.h"
#include "widgets/MessageBox.h"
#include "widgets/UserSettings.h"

namespace lumetra {

namespace {

const QString kIdleStyle = QStringLiteral(
    "QPushButton { background: #d01010; color: white; font-weight: bold; font-size: 18px;"
    " border: 2px solid #ffb0b0; border-radius: 8px; }"
    "QPushButton:pressed { background: #900000; }");
const QString kOnAirStyle = QStringLiteral(
    "QPushButton { background: #ffd000; color: #a00000; font-weight: bold; font-size: 16px;"
    " border: 2px solid #d01010; border-radius: 8px; }");

}  // namespace

CEmergencyControl::CEmergencyControl(CStation& station, QWidget* window, QLabel* pageTitle)
    : QObject(window), m_station(station), m_window(window), m_pageTitle(pageTitle) {
    m_button = new QPushButton(window);
    m_button->setGeometry(590, 14, 170, 46);
    m_button->setFocusPolicy(Qt::TabFocus);
    auto* key = new QShortcut(QKeySequence(kKey), window);
    key->setContext(Qt::ApplicationShortcut);
    connect(key, &QShortcut::activated, m_button, &QPushButton::click);
    m_status = new QLabel(window);
    m_status->setGeometry(220, 636, 400, 26);
    m_status->setStyleSheet(QStringLiteral("color: #ff4040; font-weight: bold; font-size: 16px;"));
    m_title = pageTitle->text();
    connect(m_button, &QPushButton::clicked, this, &CEmergencyControl::OnButton);
    Show();
}

void CEmergencyControl::OnButton() {
    if (m_station.InEmergency()) {
        m_station.StopEmergency();
        return;
    }
    if (ShowMessage(m_window,
                    QStringLiteral("确定要开始紧急广播吗？\n所有接收机和电源将打开，并循环播放警报音。"),
                    MbButtons::kOkCancelSafe, MbIcon::kWarning) != MbResult::kOk)
        return;
    m_station.StartEmergency(CUserSettings().AlarmFile());
}

void CEmergencyControl::Show() {
    const bool onAir = m_station.InEmergency();
    m_button->setText(QString::fromUtf8(onAir ? kStopText : kStartText));
    m_button->setToolTip(onAir ? QStringLiteral("停止紧急广播（快捷键 F12）")
                               : QStringLiteral("开始紧急广播（快捷键 F12）"));
    m_button->setStyleSheet(onAir ? kOnAirStyle : kIdleStyle);
    m_status->setText(onAir ? QString::fromUtf8(kOnAirText) : QString());
    m_pageTitle->setText(onAir ? QStringLiteral("【%1】%2").arg(QString::fromUtf8(kOnAirText), m_title)
                               : m_title);
    m_window->setWindowTitle(onAir ? QStringLiteral("Lumetra - %1").arg(QString::fromUtf8(kOnAirText))
                                   : QStringLiteral("Lumetra"));
}

void CEmergencyControl::SetPageTitle(const QString& title) {
    m_title = title;
    Show();
}

}  // namespace lumetra
