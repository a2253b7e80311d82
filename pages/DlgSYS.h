// The system settings page. Here so far: the serial-port group, which connects the stored port by
// itself when the page is created and whose button and list follow the link state, the
// start-with-the-system box that the main window ticks at start, and the version. Automatic
// shutdown settings, the zone editor and applying the start-with-the-system setting come with a
// later version.
#pragma once

#include "pages/Page.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace lumetra {

class CDlgSYS : public CPage {
    Q_OBJECT
public:
    explicit CDlgSYS(QWidget* parent);

    // The main window's answer to a possible link change (WM_LINK_STATUS).
    void ShowLinkState(bool linkUp);
    // Set once at start from the autostart entry.
    void SetStartWithSystem(bool on);
    bool StartWithSystem() const { return m_bStartWithSystem; }
    // Set by the zone editor when zones changed; the main window reloads the zone control page.
    bool m_bZonesChanged = false;

    QComboBox* PortList() const { return m_portList; }
    QPushButton* ConnectButton() const { return m_connect; }
    QCheckBox* StartWithSystemBox() const { return m_startWithSystem; }

protected:
    bool m_bConnectFailed = false;  // an operator's connect failed; the link state no longer moves the controls

private:
    QComboBox* m_portList;        // 1001
    QPushButton* m_connect;       // 1040
    QCheckBox* m_startWithSystem; // 1036
    bool m_bStartWithSystem = false;
};

}  // namespace lumetra
