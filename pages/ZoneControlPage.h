// The zone control page, left of the instant-play and receiver pages: switches receivers on and
// off by hand (the ticked ones or all of them) and the four power outlets. Its tree shows the
// zones with their receivers; a receiver dragged onto another zone is moved there. The receiver
// page sends to the receivers ticked here.
#pragma once

#include <array>
#include <string>

#include "pages/ChannelSwitch.h"
#include "pages/Page.h"
#include "store/ZoneCatalog.h"

class QPushButton;
class QToolButton;
class QTreeWidgetItem;

namespace lumetra {

class CAnnouncementGroup;
class CCheckTree;
class CDatabase;
class CStation;

class CZoneControlPage : public CPage {
    Q_OBJECT
public:
    CZoneControlPage(CStation& station, CDatabase& db, QWidget* parent);

    // Copies the ticks of the tree into the channel flags and returns them.
    const ChannelFlags& RefreshFlags();
    // Empties the tree and fills it again from the database.
    void ReloadTree();
    // Receivers whose flag is set show as switched on, and so does every zone all of whose
    // receivers are; a zone with only some of them on shows as partly ticked.
    void MarkOn();
    // After the zones changed elsewhere: the ticks survive the reload as switched-on marks. The
    // scheduler's refresh (WindowMessage::kZoneRefresh) keeps them the same way.
    void ReloadZones();

    const ChannelFlags& Flags() const { return m_switch.Flags(); }
    CCheckTree* Tree() const { return m_tree; }
    QPushButton* OpenSelectedButton() const { return m_openSelected; }
    QPushButton* OpenAllButton() const { return m_openAll; }
    QPushButton* CloseSelectedButton() const { return m_closeSelected; }
    QPushButton* CloseAllButton() const { return m_closeAll; }
    // Outlet 1..4; checked while the outlet is on.
    QToolButton* PowerButton(int outlet) const { return m_power.at(static_cast<size_t>(outlet - 1)); }
    CAnnouncementGroup* Announcement() const { return m_announcement; }

signals:
    // A receiver was moved: the label of the zone it went to and of the zone it came from.
    void ChannelMoved(const std::string& targetZone, const std::string& formerZone);

protected:
    bool event(QEvent* event)
        override;  // WindowMessage::kZoneRefresh, WindowMessage::kPowerRefresh, WindowMessage::kAnnouncement

private:
    void OnOpenSelected();
    void OnOpenAll();
    void OnCloseSelected();
    void OnCloseAll();
    void OnPower(int outlet);
    void ShowPowerSwitches();
    void OnDropped(QTreeWidgetItem* receiver, QTreeWidgetItem* target);
    void MoveReceiver(const QTreeWidgetItem* receiver, const std::string& zoneLabel);

    CStation& m_station;
    CDatabase& m_db;
    CZoneCatalog m_catalog;
    CChannelSwitch m_switch;
    CCheckTree* m_tree;
    QPushButton* m_openSelected;
    QPushButton* m_openAll;
    QPushButton* m_closeSelected;
    QPushButton* m_closeAll;
    std::array<QToolButton*, 4> m_power{};
    CAnnouncementGroup* m_announcement;
};

}  // namespace lumetra
