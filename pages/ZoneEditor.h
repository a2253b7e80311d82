// The zone editor, the right half of the settings page: a tree of the zones with their channels,
// and buttons to add, edit and delete zones and to name a channel's speaker. A channel is moved
// to another zone by dragging it there or through its context menu. The tree is rebuilt from the
// database after every change, so it never shows what is not stored.
#pragma once

#include <QGroupBox>
#include <set>
#include <string>

#include "store/ZoneCatalog.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumetra {

class CDatabase;
class CTreeItemDrag;

class CZoneEditor : public QGroupBox {
    Q_OBJECT
public:
    CZoneEditor(CDatabase& db, QWidget* parent);

    // Rebuilds the tree; zones in code order, "默认编码" last, the remembered zones expanded.
    void LoadZoneTree();
    // Remembers the zone a channel was moved to and the one it came from; the next load
    // expands both.
    void RememberMoveZones(const std::string& targetZone, const std::string& formerZone);

    // Set by every change of the zones; the main window reloads the zone control page and
    // clears it.
    bool m_zonesChanged = false;

    QTreeWidget* Tree() const { return m_tree; }
    const CTreeItemDrag& Drag() const { return *m_drag; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* EditButton() const { return m_edit; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* RemarkButton() const { return m_remark; }

private:
    void OnAddZone();
    void OnEditZone();
    void OnDeleteZone();
    void OnRemark();
    void OnDropped(QTreeWidgetItem* channel, QTreeWidgetItem* target);
    void OnMoveByDialog(QTreeWidgetItem* channel);
    // Stores a move, then shows both zones open with the channel selected.
    void MoveAndShow(const QTreeWidgetItem* channel, const std::string& zoneLabel);
    // Runs a change that returns a ZoneChange. A refused one is reported and changes nothing;
    // otherwise the zones count as changed and the tree is rebuilt from what is stored, also
    // after a database error, which is reported.
    template <typename Change>
    // `number` names the zone code in the refusal of a code that is taken.
    void Apply(Change&& change, int number = 0);
    // The numbers of every stored zone but the one labelled `exceptLabel`.
    std::set<int> TakenZoneNumbers(const std::string& exceptLabel);
    void Warn(const char* text);
    void SelectChannel(int channel);

    CDatabase& m_db;
    CZoneCatalog m_catalog;
    QTreeWidget* m_tree;
    CTreeItemDrag* m_drag;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_remark;
    std::string m_rememberedA;
    std::string m_rememberedB;
};

}  // namespace lumetra
