#include "widgets/TreeItemDrag.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

namespace lumetra {

CTreeItemDrag::CTreeItemDrag(QTreeWidget* tree, CanDrag canDrag, CanDrop canDrop)
    : QObject(tree), m_tree(tree), m_canDrag(std::move(canDrag)), m_canDrop(std::move(canDrop)) {
    tree->viewport()->installEventFilter(this);
    // An item that goes away (the tree reloaded) must not stay behind as the drag's item.
    connect(tree->model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        End();
        m_pressed = nullptr;
    });
    connect(tree->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] {
        End();
        m_pressed = nullptr;
    });
}

CTreeItemDrag::~CTreeItemDrag() {
    delete m_image;
}

bool CTreeItemDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_tree->viewport()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            QTreeWidgetItem* item = m_tree->itemAt(mouse->position().toPoint());
            m_pressed = item && m_canDrag(item) ? item : nullptr;
            m_pressPos = mouse->position().toPoint();
            break;  // the tree still selects the item
        }
        case QEvent::MouseMove: {
            if (!m_pressed) break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            if (!m_dragging) {
                if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance()) break;
                Begin();
            }
            Follow(pos, mouse->globalPosition().toPoint());
            return true;  // no rubber band or selection change while dragging
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            QTreeWidgetItem* dragged = std::exchange(m_pressed, nullptr);
            if (!m_dragging) break;
            QTreeWidgetItem* target = m_tree->itemAt(mouse->position().toPoint());
            End();
            emit Dropped(dragged, target);
            return true;
        }
        default:
            break;
    }
    return false;
}

void CTreeItemDrag::Begin() {
    m_dragging = true;
    if (!m_image) {
        m_image = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        m_image->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const QRect itemRect = m_tree->visualItemRect(m_pressed);
    m_image->setPixmap(m_tree->viewport()->grab(itemRect));
    m_image->resize(itemRect.size());
    m_image->show();
}

void CTreeItemDrag::Follow(const QPoint& pos, const QPoint& globalPos) {
    m_image->move(globalPos + kImageOffset);
    QTreeWidgetItem* over = m_tree->itemAt(pos);
    const bool droppable = over && over != m_pressed && m_canDrop(m_pressed, over);
    Highlight(droppable ? over : nullptr);
    m_tree->viewport()->setCursor(droppable ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void CTreeItemDrag::Highlight(QTreeWidgetItem* item) {
    if (item == m_highlighted) return;
    if (m_highlighted) {
        m_highlighted->setBackground(0, m_savedBackground);
        m_highlighted->setForeground(0, m_savedForeground);
    }
    m_highlighted = item;
    if (item) {
        m_savedBackground = item->background(0);
        m_savedForeground = item->foreground(0);
        item->setBackground(0, m_tree->palette().brush(QPalette::Highlight));
        item->setForeground(0, m_tree->palette().brush(QPalette::HighlightedText));
    }
}

void CTreeItemDrag::End() {
    if (!m_dragging) return;
    m_dragging = false;
    Highlight(nullptr);
    m_tree->viewport()->unsetCursor();
    if (m_image) m_image->hide();
}

}  // namespace lumetra
