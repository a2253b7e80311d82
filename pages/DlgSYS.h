// The system settings page. Its left half: the automatic shutdown group, the serial-port group,
// which connects the stored port by itself when the page is created, whose button and list
// follow the link state and which shows the device of the chosen port, the sound output, the
// start-with-the-system group, whose box the main window ticks at start, the database's backup and restore,
// and the version. Its right half: the zone editor.
#pragma once

#include <memory>

#include "link/PortSelection.h"
#include "pages/Page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace lumetra {

class CAudioOutputBox;
class CAutoShutdown;
class CAutostartGroup;
class CDatabaseGroup;
class CShutdownGroup;
class CDatabase;
class CPortDeviceBox;
class CTransmitterLink;
class CZoneEditor;

class CDlgSYS : public CPage, private IPortSelectionView {
    Q_OBJECT
public:
    // Reads the stored port and starts connecting it on a worker thread, then shows the stored
    // settings with both boxes locked until their "设  置" button is pressed.
    CDlgSYS(CTransmitterLink& link, CAutoShutdown& shutdown, CDatabase& db, QWidget* parent);
    ~CDlgSYS() override;

    // The main window's answer to a possible link change (WM_LINK_STATUS).
    void ShowLinkState(bool linkUp);
    CPortSelection& PortSelection() { return *m_portSelection; }
    // Set once at start from the autostart entry.
    void SetStartWithSystem(bool on);
    bool StartWithSystem() const;
    CZoneEditor* ZoneEditor() const { return m_zoneEditor; }

    QComboBox* PortList() const { return m_portList; }
    QPushButton* ConnectButton() const { return m_connect; }
    CPortDeviceBox* PortDevice() const { return m_portDevice; }
    CAudioOutputBox* AudioOutput() const { return m_audioOutput; }
    QCheckBox* StartWithSystemBox() const;
    CShutdownGroup* ShutdownGroup() const { return m_shutdownGroup; }
    CAutostartGroup* AutostartGroup() const { return m_autostartGroup; }
    CDatabaseGroup* DatabaseGroup() const { return m_databaseGroup; }
    QLabel* Copyright() const { return m_copyright; }

private:
    // IPortSelectionView: the worker thread's calls are carried over to the page's thread.
    void SelectPortEntry(int index) override;
    void SetConnectButtonText(const std::string& text) override;
    void EnablePortList(bool enable) override;
    void ShowOpenFailed() override;
    void ShowDatabaseError(const std::string& description) override;
    template <typename F>
    void OnPageThread(F&& action);

    CShutdownGroup* m_shutdownGroup;
    QComboBox* m_portList;   // 1001
    QPushButton* m_connect;  // 1040
    CPortDeviceBox* m_portDevice;
    CAudioOutputBox* m_audioOutput;
    CAutostartGroup* m_autostartGroup;
    CDatabaseGroup* m_databaseGroup;
    QLabel* m_copyright;  // 1057, hidden
    CDatabase& m_db;
    CZoneEditor* m_zoneEditor;                        // the right half
    std::unique_ptr<CPortSelection> m_portSelection;  // last: its worker may still call the view
};

}  // namespace lumetra
