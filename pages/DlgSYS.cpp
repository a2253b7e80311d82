#include "pages/DlgSYS.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "store/Database.h"
#include "widgets/MessageBox.h"

namespace lumetra {

CDlgSYS::CDlgSYS(CTransmitterLink& link, QWidget* parent) : CPage(QRect(197, 140, 770, 470), parent) {
    auto* portGroup = new QGroupBox(QStringLiteral("通信端口设置"), this);
    m_portList = new QComboBox(portGroup);
    m_portList->addItems(
        {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")});
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

    m_portSelection =
        std::make_unique<CPortSelection>(link, AppConnection(), static_cast<IPortSelectionView&>(*this));
    connect(m_portList, &QComboBox::activated, this,
            [this](int index) { m_portSelection->OnPortSelected(index); });
    connect(m_connect, &QPushButton::clicked, this, [this] { m_portSelection->OnConnectClicked(); });
    m_portSelection->Initialise();
}

CDlgSYS::~CDlgSYS() = default;

template <typename F>
void CDlgSYS::OnPageThread(F&& action) {
    // Direct on the page's own thread; queued from the worker, and dropped once the page is gone.
    QMetaObject::invokeMethod(this, std::forward<F>(action), Qt::AutoConnection);
}

void CDlgSYS::SelectPortEntry(int index) {
    OnPageThread([this, index] { m_portList->setCurrentIndex(index); });
}

void CDlgSYS::SetConnectButtonText(const std::string& text) {
    OnPageThread([this, text = QString::fromStdString(text)] { m_connect->setText(text); });
}

void CDlgSYS::EnablePortList(bool enable) {
    OnPageThread([this, enable] { m_portList->setEnabled(enable); });
}

void CDlgSYS::ShowOpenFailed() {
    OnPageThread([this] {
        ShowMessage(this, QString::fromUtf8(CPortSelection::kOpenFailedText), MbButtons::Ok, MbIcon::Error,
                    QStringLiteral("Error"));
    });
}

void CDlgSYS::ShowDatabaseError(const std::string& description) {
    // Without a database the operator was told so once at start.
    if (!AppConnection().IsOpen()) return;
    OnPageThread([this, text = QString::fromStdString(description)] {
        ShowMessage(this, text, MbButtons::Ok, MbIcon::Error);
    });
}

void CDlgSYS::ShowLinkState(bool linkUp) {
    m_portSelection->OnLinkStatus(linkUp);
}

void CDlgSYS::SetStartWithSystem(bool on) {
    m_bStartWithSystem = on;
    m_startWithSystem->setChecked(on);
}

}  // namespace lumetra
