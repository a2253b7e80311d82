#include "pages/ZoneTree.h"

#include <QAction>
#include <QTreeWidget>

#include "pages/DbErrorReport.h"
#include "pages/DlgMoveToZone.h"
#include "store/Database.h"
#include "store/Labels.h"

namespace lumetra {

void LoadZones(QTreeWidget* tree, CDatabase& db, CZoneCatalog& catalog, const QIcon& icon) {
    tree->clear();
    std::vector<ZoneNode> zones;
    if (db.IsOpen()) {
        try {
            zones = catalog.ReadTree();
        } catch (const CDbError& error) {
            ReportDbError(tree, error);
        }
    }
    QList<QTreeWidgetItem*> zoneItems;
    zoneItems.reserve(static_cast<qsizetype>(zones.size()));
    for (const ZoneNode& zone : zones) {
        auto* zoneItem = new QTreeWidgetItem({QString::fromStdString(zone.label)});
        zoneItem->setIcon(0, icon);
        for (const std::string& channel : zone.channels) {
            auto* channelItem = new QTreeWidgetItem(zoneItem, {QString::fromStdString(channel)});
            channelItem->setIcon(0, icon);
        }
        zoneItems.push_back(zoneItem);
    }
    tree->addTopLevelItems(zoneItems);
}

std::string ItemLabel(const QTreeWidgetItem* item) {
    return item->text(0).toStdString();
}

bool IsChannelItem(const QTreeWidgetItem* item) {
    return IsChannelLabel(ItemLabel(item));
}

QTreeWidgetItem* FindZoneItem(const QTreeWidget* tree, const std::string& label) {
    const QString text = QString::fromStdString(label);
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == text) return tree->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* FindChannelItem(const QTreeWidget* tree, int channel) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* zone = tree->topLevelItem(i);
        for (int j = 0; j < zone->childCount(); ++j)
            if (LabelNumber(ItemLabel(zone->child(j))) == channel) return zone->child(j);
    }
    return nullptr;
}

bool CanDropChannel(const QTreeWidgetItem* channel, const QTreeWidgetItem* target) {
    return !IsChannelItem(target) && target != channel->parent();
}

void OfferMoveToZone(QTreeWidget* tree, std::function<void(QTreeWidgetItem* channel)> move) {
    // A press of any button makes the item under it current, so the menu acts on what was
    // clicked; the menu key acts on the current item.
    auto* action = new QAction(QStringLiteral("移动到分区..."), tree);
    action->setEnabled(false);
    tree->addAction(action);
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(tree, &QTreeWidget::currentItemChanged, action, [action](QTreeWidgetItem* current) {
        action->setEnabled(current && IsChannelItem(current));
    });
    QObject::connect(action, &QAction::triggered, tree, [tree, move = std::move(move)] {
        QTreeWidgetItem* item = tree->currentItem();
        if (item && IsChannelItem(item)) move(item);
    });
}

std::optional<std::string> AskZoneToMoveTo(QWidget* owner, CZoneCatalog& catalog) {
    CDlgMoveToZone dialog(catalog.ZoneLabels(), owner);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.ZoneLabel();
}

}  // namespace lumetra
