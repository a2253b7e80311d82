// Emptying a tree widget whose rows are about to be filled in again.
#pragma once

class QTreeWidget;

namespace lumetra {

// Removes every row and has the whole list repainted once it is filled again. A tree that sizes
// its columns to their content and has a current row repaints only that row after clear() when the
// column widths stay the same (Qt 6.4): the screen would keep deleted rows and miss added ones.
void ClearForRefill(QTreeWidget* tree);

}  // namespace lumetra
