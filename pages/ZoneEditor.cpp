#include "pages/ZoneEditor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/DbErrorReport.h"
#include "pages/DlgRemark.h"
#include "pages/DlgZone.h"
#include "pages/ZoneArtwork.h"
#include "pages/ZoneTree.h"
#include "store/Database.h"
#include "store/Labels.h"
#include "widgets/MessageBox.h"
#include "widgets/TreeItemDrag.h"

namespace lumetra {

CZoneEditor::CZoneEditor(CDatabase& db, QWidget* parent)
    : QGroupBox(QStringLiteral("目标区域编辑"), parent), m_db(db), m_catalog(db) {
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_drag = new CTreeItemDrag(m_tree, IsChannelItem, CanDropChannel);
    connect(m_drag, &CTreeItemDrag::Dropped, this, &CZoneEditor::OnDropped);
    OfferMoveToZone(m_tree, [this](QTreeWidgetItem* channel) { OnMoveByDialog(channel); });

    m_add = new QPushButton(QStringLiteral("增加分区"), this);
    m_edit = new QPushButton(QStringLiteral("编辑分区"), this);
    m_delete = new QPushButton(QStringLiteral("删除分区"), this);
    m_remark = new QPushButton(QStringLiteral("添加备注"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_add, m_edit, m_delete, m_remark}) buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &CZoneEditor::OnAddZone);
    connect(m_edit, &QPushButton::clicked, this, &CZoneEditor::OnEditZone);
    connect(m_delete, &QPushButton::clicked, this, &CZoneEditor::OnDeleteZone);
    connect(m_remark, &QPushButton::clicked, this, &CZoneEditor::OnRemark);
    LoadZoneTree();
}

void CZoneEditor::LoadZoneTree() {
    static const QIcon icon = ZoneItemIcon();
    LoadZones(m_tree, m_db, m_catalog, icon);
    for (const std::string& label : {m_rememberedA, m_rememberedB})
        if (QTreeWidgetItem* zone = label.empty() ? nullptr : FindZoneItem(m_tree, label))
            zone->setExpanded(true);
}

void CZoneEditor::RememberMoveZones(const std::string& targetZone, const std::string& formerZone) {
    m_rememberedA = targetZone;
    m_rememberedB = formerZone;
}

template <typename Change>
void CZoneEditor::Apply(Change&& change, int number) {
    bool stored = true;
    try {
        stored = change() == ZoneChange::kDone;
    } catch (const CDbError& error) {
        ReportDbError(this, error);  // part of it may be stored: the reload shows what is
    }
    if (!stored) {
        ShowMessage(this, ZoneCodeTakenText(number), MbButtons::kOk, MbIcon::kWarning);
        return;
    }
    m_zonesChanged = true;
    LoadZoneTree();
}

std::set<int> CZoneEditor::TakenZoneNumbers(const std::string& exceptLabel) {
    std::set<int> taken;
    try {
        for (const std::string& label : m_catalog.ZoneLabels())
            if (label != exceptLabel) taken.insert(LabelNumber(label));
    } catch (const CDbError& error) {
        ReportDbError(this, error);  // the store still refuses a taken number when it is saved
    }
    return taken;
}

void CZoneEditor::Warn(const char* text) {
    ShowMessage(this, QString::fromUtf8(text), MbButtons::kOk, MbIcon::kWarning);
}

void CZoneEditor::SelectChannel(int channel) {
    if (QTreeWidgetItem* item = FindChannelItem(m_tree, channel)) {
        item->parent()->setExpanded(true);
        m_tree->setCurrentItem(item);
    }
}

void CZoneEditor::OnAddZone() {
    CDlgZone dialog(TakenZoneNumbers({}), this);
    if (dialog.exec() != QDialog::Accepted) return;
    Apply([&] { return m_catalog.AddZone(dialog.Number(), dialog.Name().toStdString()); }, dialog.Number());
}

void CZoneEditor::OnEditZone() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return Warn("请选择需要编辑的分区！");
    const std::string label = ItemLabel(item);
    if (label == kDefaultZoneLabel) return Warn("默认编码不可以编辑！");
    if (IsChannelItem(item)) return;
    CDlgZone dialog(QString::fromStdString(LabelName(label)), LabelNumber(label), TakenZoneNumbers(label),
                    this);
    if (dialog.exec() != QDialog::Accepted) return;
    Apply([&] { return m_catalog.EditZone(label, dialog.Number(), dialog.Name().toStdString()); },
          dialog.Number());
}

void CZoneEditor::OnDeleteZone() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return Warn("请选择需要删除的分区！");
    const std::string label = ItemLabel(item);
    if (label == kDefaultZoneLabel) return Warn("默认编码不可以删除！");
    if (IsChannelItem(item)) return;
    Apply([&] {
        m_catalog.DeleteZone(label);
        return ZoneChange::kDone;
    });
}

void CZoneEditor::OnRemark() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return Warn("请选择需要编辑的通道！");
    if (!IsChannelItem(item)) return;
    const std::string label = ItemLabel(item);
    CDlgRemark dialog(QString::fromStdString(label.substr(0, 5)), QString::fromStdString(LabelName(label)),
                      this);
    if (dialog.exec() != QDialog::Accepted) return;
    const int channel = LabelNumber(label);
    Apply([&] {
        m_catalog.SetSpeakerName(channel, dialog.Remark().toStdString());
        return ZoneChange::kDone;
    });
    SelectChannel(channel);
}

void CZoneEditor::OnDropped(QTreeWidgetItem* channel, QTreeWidgetItem* target) {
    m_zonesChanged = true;
    if (!target || target == channel || !CanDropChannel(channel, target)) return;
    MoveAndShow(channel, ItemLabel(target));
}

void CZoneEditor::OnMoveByDialog(QTreeWidgetItem* channel) {
    std::optional<std::string> zone;
    try {
        zone = AskZoneToMoveTo(this, m_catalog);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    if (zone && *zone != ItemLabel(channel->parent())) MoveAndShow(channel, *zone);
}

void CZoneEditor::MoveAndShow(const QTreeWidgetItem* channel, const std::string& zoneLabel) {
    const int number = LabelNumber(ItemLabel(channel));
    RememberMoveZones(zoneLabel, ItemLabel(channel->parent()));
    Apply([&] {
        m_catalog.MoveChannelToZone(number, zoneLabel);
        return ZoneChange::kDone;
    });
    SelectChannel(number);
}

}  // namespace lumetra
