#include "widgets/TreeRefill.h"

#include <QTreeWidget>

namespace lumetra {

void ClearForRefill(QTreeWidget* tree) {
    tree->clear();
    tree->viewport()->update();  // painted after the caller's refill, from the event loop
}

}  // namespace lumetra
