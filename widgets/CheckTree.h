// A tree of zones and channels with three check states per item. A click on an item's box or the
// space key checks an unchecked item and unchecks any other; the new state goes to every item
// below, and upwards a parent takes it when all its children share it, otherwise that parent and
// every item above it become partly checked. Readers treat any state but unchecked as checked.
#pragma once

#include <QTreeWidget>
#include <functional>

class QPainter;

namespace lumetra {

// The numbers are the state images: 1 an empty box, 2 the style's partly checked box (as any tree
// view shows Qt::PartiallyChecked), 3 a white box with a tick. A page may give image 3 a meaning of
// its own (a receiver that is switched on).
enum class CheckState { kUnchecked = 1, kPartial = 2, kChecked = 3 };

class CCheckTree : public QTreeWidget {
    Q_OBJECT
public:
    // Side of a state image in device-independent pixels.
    static constexpr int kImageSize = 13;

    explicit CCheckTree(QWidget* parent = nullptr);

    static CheckState State(const QTreeWidgetItem* item);
    static bool IsChecked(const QTreeWidgetItem* item) { return State(item) != CheckState::kUnchecked; }
    // Sets the state image of this item alone.
    static void SetState(QTreeWidgetItem* item, CheckState state);
    // Checks or unchecks an item with the propagation down and up.
    static void SetCheck(QTreeWidgetItem* item, bool checked);
    // Every item of the tree checked or unchecked.
    void SetAll(bool checked);

    // A page's own click rule. It runs before the propagation and sees the state the item had;
    // returning true means the rule has done everything and the propagation is skipped.
    using ClickRule = std::function<bool(QTreeWidgetItem* item, CheckState before)>;
    void SetClickRule(ClickRule rule) { m_clickRule = std::move(rule); }

    // What a click on the box or the space key does to an item.
    void Toggle(QTreeWidgetItem* item);

    // Where the state image of an item sits, in viewport coordinates.
    QRect StateImageRect(const QTreeWidgetItem* item) const;
    static QRect StateImageRect(const QRect& itemRect);

    // Draws one state image as vectors, so it stays crisp at any screen scale.
    virtual void PaintStateImage(QPainter& painter, const QRect& box, CheckState state) const;

signals:
    // After a click or the space key has changed the check states.
    void ItemToggled(QTreeWidgetItem* item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTreeWidgetItem* ItemOnStateImage(const QPoint& pos) const;

    ClickRule m_clickRule;
};

}  // namespace lumetra
