#include "widgets/CheckTree.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

namespace lumetra {
namespace {

// The state lives in a role of its own; an item that never had one is unchecked.
constexpr int kStateRole = Qt::UserRole + 100;
constexpr int kImageMargin = 2;
constexpr int kImageSpace = CCheckTree::kImageSize + 2 * kImageMargin;

// Paints the state image in front of the first column's text.
class CStateImageDelegate : public QStyledItemDelegate {
public:
    explicit CStateImageDelegate(const CCheckTree* tree)
        : QStyledItemDelegate(const_cast<CCheckTree*>(tree)), m_tree(tree) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != 0) return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem text(option);
        text.rect.setLeft(option.rect.left() + kImageSpace);
        QStyledItemDelegate::paint(painter, text, index);
        const int state = index.data(kStateRole).toInt();
        painter->save();
        m_tree->PaintStateImage(*painter, CCheckTree::StateImageRect(option.rect),
                                state == 0 ? CheckState::kUnchecked : static_cast<CheckState>(state));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (index.column() == 0) {
            size.rwidth() += kImageSpace;
            size.setHeight(std::max(size.height(), kImageSpace));
        }
        return size;
    }

private:
    const CCheckTree* m_tree;
};

void SetStateBelow(QTreeWidgetItem* item, CheckState state) {
    for (int i = 0; i < item->childCount(); ++i) {
        CCheckTree::SetState(item->child(i), state);
        SetStateBelow(item->child(i), state);
    }
}

bool ChildrenShare(const QTreeWidgetItem* parent, CheckState state) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (CCheckTree::State(parent->child(i)) != state) return false;
    return true;
}

}  // namespace

CCheckTree::CCheckTree(QWidget* parent) : QTreeWidget(parent) {
    setItemDelegate(new CStateImageDelegate(this));
}

CheckState CCheckTree::State(const QTreeWidgetItem* item) {
    const int state = item->data(0, kStateRole).toInt();
    return state >= 1 && state <= 3 ? static_cast<CheckState>(state) : CheckState::kUnchecked;
}

void CCheckTree::SetState(QTreeWidgetItem* item, CheckState state) {
    if (State(item) != state) item->setData(0, kStateRole, static_cast<int>(state));
}

void CCheckTree::SetCheck(QTreeWidgetItem* item, bool checked) {
    const CheckState state = checked ? CheckState::kChecked : CheckState::kUnchecked;
    SetState(item, state);
    SetStateBelow(item, state);
    for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent()) {
        if (!ChildrenShare(parent, state)) {
            for (; parent; parent = parent->parent()) SetState(parent, CheckState::kPartial);
            return;
        }
        SetState(parent, state);
    }
}

void CCheckTree::SetAll(bool checked) {
    for (int i = 0; i < topLevelItemCount(); ++i) SetCheck(topLevelItem(i), checked);
}

void CCheckTree::Toggle(QTreeWidgetItem* item) {
    const CheckState before = State(item);
    if (!m_clickRule || !m_clickRule(item, before)) SetCheck(item, before == CheckState::kUnchecked);
    emit ItemToggled(item);
}

QRect CCheckTree::StateImageRect(const QRect& itemRect) {
    return QRect(itemRect.left() + kImageMargin, itemRect.top() + (itemRect.height() - kImageSize) / 2,
                 kImageSize, kImageSize);
}

QRect CCheckTree::StateImageRect(const QTreeWidgetItem* item) const {
    return StateImageRect(visualItemRect(item));
}

QTreeWidgetItem* CCheckTree::ItemOnStateImage(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || index.column() != 0) return nullptr;
    QTreeWidgetItem* item = itemFromIndex(index);
    return StateImageRect(visualRect(index)).contains(pos) ? item : nullptr;
}

void CCheckTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item =
        event->button() == Qt::LeftButton ? ItemOnStateImage(event->position().toPoint()) : nullptr;
    if (!item) return QTreeWidget::mousePressEvent(event);
    setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    Toggle(item);
    event->accept();
}

void CCheckTree::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click has toggled already; the box must not also expand or
    // collapse the item.
    if (ItemOnStateImage(event->position().toPoint())) return event->accept();
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CCheckTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentItem()) {
        Toggle(currentItem());
        return event->accept();
    }
    QTreeWidget::keyPressEvent(event);
}

void CCheckTree::PaintStateImage(QPainter& painter, const QRect& box, CheckState state) const {
    if (state == CheckState::kPartial) {
        // As any tree view draws a partly checked item: a grey tick would read as ticked.
        QStyleOptionViewItem option;
        option.initFrom(this);
        option.rect = box;
        option.state |= QStyle::State_NoChange;
        style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &option, &painter, this);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(Qt::white));
    painter.drawRect(frame);
    if (state == CheckState::kUnchecked) return;
    // The tick, laid out on the 13-pixel grid and scaled with the box.
    const qreal unit = box.width() / qreal(kImageSize);
    QPainterPath tick(QPointF(box.left() + 3 * unit, box.top() + 6.5 * unit));
    tick.lineTo(box.left() + 5.5 * unit, box.top() + 9 * unit);
    tick.lineTo(box.left() + 10 * unit, box.top() + 4 * unit);
    painter.setPen(QPen(QColor(Qt::black), 1.7 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

}  // namespace lumetra
