#include "pages/ZoneControlPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "pages/AnnouncementGroup.h"
#include "pages/DbErrorReport.h"
#include "pages/EmergencyRefusalBox.h"
#include "pages/ZoneArtwork.h"
#include "pages/ZoneTree.h"
#include "station/Station.h"
#include "store/Database.h"
#include "widgets/CheckTree.h"
#include "widgets/TreeItemDrag.h"
#include "widgets/WindowEvent.h"

namespace lumetra {
namespace {

// Calls `visit` for every receiver item (the children of the zones).
template <typename Visit>
void ForEachReceiver(const CCheckTree* tree, Visit&& visit) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* zone = tree->topLevelItem(i);
        for (int j = 0; j < zone->childCount(); ++j) visit(zone->child(j));
    }
}

}  // namespace

CZoneControlPage::CZoneControlPage(CStation& station, CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 400, 470), parent),
      m_station(station),
      m_db(db),
      m_catalog(db),
      m_switch(station) {
    auto* zoneGroup = new QGroupBox(QStringLiteral("目标区域"), this);
    m_tree = new CCheckTree(zoneGroup);
    m_tree->setHeaderHidden(true);
    // The page's own rule: unticking a receiver unticks its zone as well, whatever its other
    // receivers show; every other click is the tree's (a zone passes its tick to its receivers).
    m_tree->SetClickRule([](QTreeWidgetItem* item, CheckState before) {
        if (!IsChannelItem(item) || !item->parent() || before == CheckState::kUnchecked) return false;
        CCheckTree::SetState(item->parent(), CheckState::kUnchecked);
        CCheckTree::SetState(item, CheckState::kUnchecked);
        return true;
    });
    auto* drag = new CTreeItemDrag(m_tree, IsChannelItem, CanDropChannel);
    connect(drag, &CTreeItemDrag::Dropped, this, &CZoneControlPage::OnDropped);
    OfferMoveToZone(m_tree, [this](QTreeWidgetItem* receiver) {
        try {
            if (std::optional<std::string> zone = AskZoneToMoveTo(this, m_catalog);
                zone && *zone != ItemLabel(receiver->parent()))
                MoveReceiver(receiver, *zone);
        } catch (const CDbError& error) {
            ReportDbError(this, error);
        }
    });

    m_openSelected = new QPushButton(QStringLiteral("打开选中音箱"), zoneGroup);
    m_openAll = new QPushButton(QStringLiteral("打开全部音箱"), zoneGroup);
    m_closeSelected = new QPushButton(QStringLiteral("关闭选中音箱"), zoneGroup);
    m_closeAll = new QPushButton(QStringLiteral("关闭全部音箱"), zoneGroup);
    auto* zoneLayout = new QGridLayout(zoneGroup);
    zoneLayout->addWidget(m_tree, 0, 0, 1, 2);
    zoneLayout->addWidget(m_openSelected, 1, 0);
    zoneLayout->addWidget(m_openAll, 1, 1);
    zoneLayout->addWidget(m_closeSelected, 2, 0);
    zoneLayout->addWidget(m_closeAll, 2, 1);

    auto* powerGroup = new QGroupBox(QStringLiteral("外设电源开关"), this);
    auto* powerRow = new QHBoxLayout(powerGroup);
    static const QIcon outletIcon = PowerOutletIcon();
    for (int outlet = 1; outlet <= 4; ++outlet) {
        auto* button = new QToolButton(powerGroup);
        button->setText(QStringLiteral("%1号").arg(outlet));
        button->setIcon(outletIcon);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [this, outlet] { OnPower(outlet); });
        powerRow->addWidget(button);
        m_power[static_cast<size_t>(outlet - 1)] = button;
    }

    m_announcement = new CAnnouncementGroup(
        station, [this] { return RefreshFlags(); }, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(zoneGroup, 1);
    layout->addWidget(powerGroup);
    layout->addWidget(m_announcement);

    connect(m_openSelected, &QPushButton::clicked, this, &CZoneControlPage::OnOpenSelected);
    connect(m_openAll, &QPushButton::clicked, this, &CZoneControlPage::OnOpenAll);
    connect(m_closeSelected, &QPushButton::clicked, this, &CZoneControlPage::OnCloseSelected);
    connect(m_closeAll, &QPushButton::clicked, this, &CZoneControlPage::OnCloseAll);
    ReloadTree();
    ShowPowerSwitches();
}

const ChannelFlags& CZoneControlPage::RefreshFlags() {
    CChannelSwitch::Ticks ticks;
    ForEachReceiver(m_tree, [&](const QTreeWidgetItem* receiver) {
        ticks.emplace_back(LabelNumber(ItemLabel(receiver)), CCheckTree::IsChecked(receiver));
    });
    m_switch.RefreshFlags(ticks);
    return m_switch.Flags();
}

void CZoneControlPage::ReloadTree() {
    LoadZones(m_tree, m_db, m_catalog);
}

void CZoneControlPage::MarkOn() {
    const ChannelFlags& flags = m_switch.Flags();
    ForEachReceiver(m_tree, [&](QTreeWidgetItem* receiver) {
        const int channel = LabelNumber(ItemLabel(receiver));
        if (channel >= 1 && channel <= kChannelCount && flags[static_cast<size_t>(channel - 1)])
            CCheckTree::SetState(receiver, CheckState::kChecked);
    });
    // A zone without receivers has nothing switched on; one with some of them on is partly ticked.
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* zone = m_tree->topLevelItem(i);
        int on = 0;
        for (int j = 0; j < zone->childCount(); ++j) on += CCheckTree::IsChecked(zone->child(j)) ? 1 : 0;
        if (on > 0)
            CCheckTree::SetState(zone,
                                 on == zone->childCount() ? CheckState::kChecked : CheckState::kPartial);
    }
}

void CZoneControlPage::ReloadZones() {
    RefreshFlags();
    ReloadTree();
    MarkOn();
}

void CZoneControlPage::OnOpenSelected() {
    RefreshFlags();
    AcceptedOrTold(this, m_switch.OpenSelected());
}

void CZoneControlPage::OnOpenAll() {
    if (AcceptedOrTold(this, m_switch.OpenAll())) MarkOn();
}

void CZoneControlPage::OnCloseSelected() {
    RefreshFlags();
    if (AcceptedOrTold(this, m_switch.CloseSelected())) m_tree->SetAll(false);
}

void CZoneControlPage::OnCloseAll() {
    if (AcceptedOrTold(this, m_switch.CloseAll())) m_tree->SetAll(false);
}

void CZoneControlPage::OnPower(int outlet) {
    AcceptedOrTold(this, m_switch.TogglePower(outlet));
    ShowPowerSwitches();  // a refused toggle unchecks the button the click checked
}

void CZoneControlPage::ShowPowerSwitches() {
    for (int outlet = 1; outlet <= 4; ++outlet) PowerButton(outlet)->setChecked(m_station.Outlet(outlet));
}

bool CZoneControlPage::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kZoneRefresh)) {
        // The operator's ticks are not switched yet; a broadcast going on air must not undo them.
        RefreshFlags();
        m_tree->SetAll(false);
        MarkOn();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kAnnouncement)) {
        m_announcement->ShowAnnouncement();
        return true;
    }
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kPowerRefresh)) {
        ShowPowerSwitches();
        return true;
    }
    return CPage::event(event);
}

void CZoneControlPage::OnDropped(QTreeWidgetItem* receiver, QTreeWidgetItem* target) {
    if (target && target != receiver && CanDropChannel(receiver, target))
        MoveReceiver(receiver, ItemLabel(target));
}

void CZoneControlPage::MoveReceiver(const QTreeWidgetItem* receiver, const std::string& zoneLabel) {
    const std::string former = ItemLabel(receiver->parent());
    const int channel = LabelNumber(ItemLabel(receiver));
    RefreshFlags();  // the ticks survive the reload below
    try {
        m_catalog.MoveChannelToZone(channel, zoneLabel);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    ReloadTree();
    MarkOn();
    if (QTreeWidgetItem* zone = FindZoneItem(m_tree, zoneLabel)) zone->setExpanded(true);
    emit ChannelMoved(zoneLabel, former);
}

}  // namespace lumetra
