// What the two zone trees (the zone editor's and the zone control page's) share: filling a tree
// from the stored zones, reading labels back from items, and the context menu that moves a
// channel to another zone through the move-to-zone dialog.
#pragma once

#include <QIcon>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/ZoneCatalog.h"

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace lumetra {

// Empties the tree and fills it from the database: one top-level item per zone with its channels
// as children. A database error is reported and leaves the tree empty; so does a database that
// is not open, of which the operator was told once at start.
void LoadZones(QTreeWidget* tree, CDatabase& db, CZoneCatalog& catalog, const QIcon& icon = {});

std::string ItemLabel(const QTreeWidgetItem* item);
bool IsChannelItem(const QTreeWidgetItem* item);
// The top-level item labelled `label`, or null.
QTreeWidgetItem* FindZoneItem(const QTreeWidget* tree, const std::string& label);
// The first channel item whose label starts with `channel`'s number, or null.
QTreeWidgetItem* FindChannelItem(const QTreeWidget* tree, int channel);

// A channel may be dropped on any zone but its own.
bool CanDropChannel(const QTreeWidgetItem* channel, const QTreeWidgetItem* target);

// Right-click (or the menu key) on a channel offers "移动到分区..."; `move` gets the channel.
void OfferMoveToZone(QTreeWidget* tree, std::function<void(QTreeWidgetItem* channel)> move);
// Runs the move-to-zone dialog with the stored zones; the chosen label, or none on cancel.
std::optional<std::string> AskZoneToMoveTo(QWidget* owner, CZoneCatalog& catalog);

}  // namespace lumetra
