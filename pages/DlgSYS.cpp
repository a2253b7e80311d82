#include "pages/DlgSYS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace lumetra {

CDlgSYS::CDlgSYS(QWidget* parent) : CPage(QRect(197, 140, 770, 470), parent) {
    auto* portGroup = new QGroupBox(QStringLiteral("通信端口设置"), this);
    m_portList = new QComboBox(portGroup);
    m_portList->addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                          QStringLiteral("COM4")});
    m_connect = new QPushButton(QStringLiteral("连  接"), portGroup);
    auto* portRow = new QHBoxLayout(portGroup);
    portRow->addWidget(new QLabel(QStringLiteral("串口"), portGroup));
    portRow->addWidget(m_portList);
    portRow->addWidget(m_connect);

    auto* startGroup = new QGroupBox(QStringLiteral("程序自启动"), this);
    m_startWithSystem = new QCheckBox(QStringLiteral("开机自启动"), startGroup);
    m_startWithSystem->setEnabled(false);
    auto* startRow = new QHBoxLayout(startGroup);
    startRow->addWidget(m_startWithSystem);

    auto* versionGroup = new QGroupBox(QStringLiteral("版本信息"), this);
    auto* versionRow = new QHBoxLayout(versionGroup);
    versionRow->addWidget(new QLabel(QStringLiteral("版本号："), versionGroup));
    versionRow->addWidget(new QLabel(QStringLiteral("1.4"), versionGroup));
    versionRow->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(portGroup, 0, 0);
    layout->addWidget(startGroup, 1, 0);
    layout->addWidget(versionGroup, 2, 0);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 1);
}

void CDlgSYS::ShowLinkState(bool linkUp) {
    if (linkUp) {
        m_connect->setText(QStringLiteral("断  开"));
    } else {
        // After an operator's connect failed, the page keeps what it showed then.
        if (m_bConnectFailed) return;
        m_connect->setText(QStringLiteral("连  接"));
    }
    m_portList->setEnabled(!linkUp);
}

void CDlgSYS::SetStartWithSystem(bool on) {
    m_bStartWithSystem = on;
    m_startWithSystem->setChecked(on);
}

}  // namespace lumetra
