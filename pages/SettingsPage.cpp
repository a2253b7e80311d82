#include "pages/SettingsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "base/Version.h"
#include "pages/AlarmFileGroup.h"
#include "pages/AudioOutputBox.h"
#include "pages/AutostartGroup.h"
#include "pages/DatabaseGroup.h"
#include "pages/DbErrorReport.h"
#include "pages/PortDeviceBox.h"
#include "pages/RetentionGroup.h"
#include "pages/ShutdownGroup.h"
#include "pages/ZoneEditor.h"
#include "station/Station.h"
#include "store/Database.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

// The titled sections one below the other, each at its natural height, in a column that scrolls
// when they are taller than the page; the column is as wide as its widest section.
QScrollArea* SectionColumn(std::initializer_list<QWidget*> sections) {
    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    for (QWidget* section : sections) stack->addWidget(section);
    stack->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(column);
    scroll->setFixedWidth(column->minimumSizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width());
    return scroll;
}

}  // namespace

CSettingsPage::CSettingsPage(CStation& station, CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 770, 470), parent), m_station(station), m_db(db) {
    m_shutdownGroup = new CShutdownGroup(station, this);

    auto* portGroup = new QGroupBox(QStringLiteral("通信端口设置"), this);
    m_portList = new QComboBox(portGroup);
    m_portList->addItems(
        {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")});
    m_connect = new QPushButton(QStringLiteral("连  接"), portGroup);
    m_portDevice = new CPortDeviceBox(portGroup);
    auto* portRows = new QGridLayout(portGroup);
    portRows->addWidget(new QLabel(QStringLiteral("串口"), portGroup), 0, 0);
    portRows->addWidget(m_portList, 0, 1);
    portRows->addWidget(m_connect, 0, 2, Qt::AlignRight);
    portRows->addWidget(new QLabel(QStringLiteral("设备"), portGroup), 1, 0);
    portRows->addWidget(m_portDevice, 1, 1, 1, 2);

    auto* soundGroup = new QGroupBox(QStringLiteral("声音输出"), this);
    m_audioOutput = new CAudioOutputBox(OutputRole::kBroadcast, soundGroup);
    m_monitorOutput = new CAudioOutputBox(OutputRole::kMonitor, soundGroup);
    auto* soundRows = new QGridLayout(soundGroup);
    soundRows->addWidget(new QLabel(QStringLiteral("广播输出"), soundGroup), 0, 0);
    soundRows->addWidget(m_audioOutput, 0, 1);
    soundRows->addWidget(new QLabel(QStringLiteral("监听输出"), soundGroup), 1, 0);
    soundRows->addWidget(m_monitorOutput, 1, 1);
    soundRows->setColumnStretch(1, 1);
    connect(m_audioOutput, &CAudioOutputBox::Chosen, m_monitorOutput, &CAudioOutputBox::Refill);
    // A monitor dropped for the broadcast's sake is a change of the monitor too.
    connect(m_audioOutput, &CAudioOutputBox::Chosen, m_monitorOutput, &CAudioOutputBox::Chosen);

    m_alarmGroup = new CAlarmFileGroup(this);
    m_autostartGroup = new CAutostartGroup(this);
    m_databaseGroup = new CDatabaseGroup(db, station, this);

    auto* versionGroup = new QGroupBox(QStringLiteral("版本信息"), this);
    auto* versionRow = new QHBoxLayout(versionGroup);
    versionRow->addWidget(new QLabel(QStringLiteral("版本号："), versionGroup));
    versionRow->addWidget(new QLabel(QString::fromUtf8(ProgramVersion()), versionGroup));
    m_copyright = new QLabel(versionGroup);
    m_copyright->hide();
    versionRow->addWidget(m_copyright);
    versionRow->addStretch();

    m_retentionGroup = new CRetentionGroup(db, this);
    m_zoneEditor = new CZoneEditor(m_db, this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(SectionColumn({m_shutdownGroup, portGroup, soundGroup, m_alarmGroup, m_autostartGroup,
                                     m_databaseGroup, m_retentionGroup, versionGroup}));
    layout->addWidget(m_zoneEditor, 1);

    m_station.SetPortView(this);
    connect(m_portList, &QComboBox::activated, this, [this](int index) {
        m_station.SelectPort(index);
        m_portDevice->ShowPort(index + 1);
    });
    // The click means what the button read, whatever the port thread has done meanwhile.
    connect(m_connect, &QPushButton::clicked, this, [this] {
        m_station.ClickConnect(m_connect->text() == QString::fromUtf8(CPortSelection::kConnectText));
    });
    m_shutdownGroup->ShowSetting();
    if (m_db.IsOpen()) m_retentionGroup->ShowSetting();
    m_zoneEditor->m_zonesChanged = false;
    // Both groups keep their boxes disabled until their "设置" button is pressed.
    m_copyright->setText(QStringLiteral("版权所有 (C) 2026 Lumetra"));
}

CSettingsPage::~CSettingsPage() {
    m_station.SetPortView(nullptr);
}

const CPortSelection& CSettingsPage::PortSelection() const {
    return m_station.PortSelection();
}

template <typename F>
void CSettingsPage::OnPageThread(F&& action) {
    // Queued from the station's threads, and dropped once the page is gone.
    QMetaObject::invokeMethod(this, std::forward<F>(action), Qt::AutoConnection);
}

void CSettingsPage::SelectPortEntry(int index) {
    OnPageThread([this, index] {
        m_portList->setCurrentIndex(index);
        m_portDevice->ShowPort(index + 1);
    });
}

void CSettingsPage::SetConnectButtonText(const std::string& text) {
    OnPageThread([this, text = QString::fromStdString(text)] { m_connect->setText(text); });
}

void CSettingsPage::EnablePortList(bool enable) {
    OnPageThread([this, enable] { m_portList->setEnabled(enable); });
}

void CSettingsPage::ShowOpenFailed(const std::string& text) {
    OnPageThread([this, text = QString::fromStdString(text)] {
        ShowMessage(this, text, MbButtons::kOk, MbIcon::kError);
    });
}

void CSettingsPage::ShowDatabaseError(const std::string& description) {
    // Without a database the operator was told so once at start.
    if (!m_db.IsOpen()) return;
    DbErrorBox().Report(description);
}

void CSettingsPage::SetStartWithSystem(bool on) {
    m_autostartGroup->SetStartWithSystem(on);
}

bool CSettingsPage::StartWithSystem() const {
    return m_autostartGroup->StartWithSystem();
}

QCheckBox* CSettingsPage::StartWithSystemBox() const {
    return m_autostartGroup->Box();
}

}  // namespace lumetra
