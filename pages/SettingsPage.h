// The system settings page. Its left half: the automatic shutdown group, the serial-port group,
// whose list and button the station's port choice follows and drives, and which shows the device
// of the chosen port, the sound outputs of the broadcast and of the monitor, the start-with-the-system group,
// whose box the main window ticks at start, the database's backup and restore, and the version. Its right
// half: the zone editor.
#pragma once

#include "link/PortSelection.h"
#include "pages/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace lumetra {

class CAlarmFileGroup;
class CAudioOutputBox;
class CAutostartGroup;
class CDatabaseGroup;
class CRetentionGroup;
class CShutdownGroup;
class CDatabase;
class CPortDeviceBox;
class CStation;
class CZoneEditor;

class CSettingsPage : public CPage, private IPortSelectionView {
    Q_OBJECT
public:
    // Shows the stored settings with both boxes locked until their "设置" button is pressed,
    // and shows the station's port choice from now on.
    CSettingsPage(CStation& station, CDatabase& db, QWidget* parent);
    ~CSettingsPage() override;

    const CPortSelection& PortSelection() const;
    // Set once at start from the autostart entry.
    void SetStartWithSystem(bool on);
    bool StartWithSystem() const;
    CZoneEditor* ZoneEditor() const { return m_zoneEditor; }

    QComboBox* PortList() const { return m_portList; }
    QPushButton* ConnectButton() const { return m_connect; }
    CPortDeviceBox* PortDevice() const { return m_portDevice; }
    CAudioOutputBox* AudioOutput() const { return m_audioOutput; }
    // Where "试听" plays; its Chosen() says the choice may have changed.
    CAudioOutputBox* MonitorOutput() const { return m_monitorOutput; }
    QCheckBox* StartWithSystemBox() const;
    CShutdownGroup* ShutdownGroup() const { return m_shutdownGroup; }
    CAutostartGroup* AutostartGroup() const { return m_autostartGroup; }
    CAlarmFileGroup* AlarmGroup() const { return m_alarmGroup; }
    CDatabaseGroup* DatabaseGroup() const { return m_databaseGroup; }
    CRetentionGroup* RetentionGroup() const { return m_retentionGroup; }
    QLabel* Copyright() const { return m_copyright; }

private:
    // IPortSelectionView: the station's calls are carried over to the page's thread.
    void SelectPortEntry(int index) override;
    void SetConnectButtonText(const std::string& text) override;
    void EnablePortList(bool enable) override;
    void ShowOpenFailed(const std::string& text) override;
    void ShowDatabaseError(const std::string& description) override;
    template <typename F>
    void OnPageThread(F&& action);

    CShutdownGroup* m_shutdownGroup;
    QComboBox* m_portList;
    QPushButton* m_connect;
    CPortDeviceBox* m_portDevice;
    CAudioOutputBox* m_audioOutput;
    CAudioOutputBox* m_monitorOutput;
    CAutostartGroup* m_autostartGroup;
    CAlarmFileGroup* m_alarmGroup;
    CDatabaseGroup* m_databaseGroup;
    CRetentionGroup* m_retentionGroup;
    QLabel* m_copyright;  // hidden
    CStation& m_station;
    CDatabase& m_db;
    CZoneEditor* m_zoneEditor;  // the right half
};

}  // namespace lumetra
