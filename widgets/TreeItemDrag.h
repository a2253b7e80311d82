// Dragging one item of a tree onto another with the mouse. The owner says which items may be
// picked up and where one may be dropped; while the pointer moves, an image of the item follows
// it 15 pixels to the right and below, a valid target is highlighted under the normal drag
// cursor, and anywhere else the no-drop cursor shows. On release the owner is told where the item
// was dropped (or that it was dropped on no item).
#pragma once

#include <QBrush>
#include <QObject>
#include <QPoint>
#include <functional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumetra {

class CTreeItemDrag : public QObject {
    Q_OBJECT
public:
    using CanDrag = std::function<bool(const QTreeWidgetItem* item)>;
    using CanDrop = std::function<bool(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target)>;
    static constexpr QPoint kImageOffset{15, 15};

    CTreeItemDrag(QTreeWidget* tree, CanDrag canDrag, CanDrop canDrop);
    ~CTreeItemDrag() override;

    bool IsDragging() const { return m_dragging; }
    // The item shown as the drop target; null when there is none.
    QTreeWidgetItem* Highlighted() const { return m_highlighted; }
    const QLabel* Image() const { return m_image; }

signals:
    // After release; `target` is null when the pointer was over no item. The drag has ended and
    // the highlight is gone when this is emitted.
    void Dropped(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Begin();
    void Follow(const QPoint& pos, const QPoint& globalPos);
    void Highlight(QTreeWidgetItem* item);
    void End();

    QTreeWidget* m_tree;
    CanDrag m_canDrag;
    CanDrop m_canDrop;
    QTreeWidgetItem* m_pressed = nullptr;  // the item under a pressed left button
    QPoint m_pressPos;
    bool m_dragging = false;
    QTreeWidgetItem* m_highlighted = nullptr;
    QBrush m_savedBackground;  // the target's own colours, put back after
    QBrush m_savedForeground;
    QLabel* m_image = nullptr;  // a window of its own, deleted with this object
};

}  // namespace lumetra
