// The LED history as the list shows it: newest first, numbered from the row count down to 1,
// every cell centred, the whole text of a row as the tool tip of its "内容" cell.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "store/LedTable.h"

namespace lumetra {

class CLedHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNumber, kAddress, kContent, kTime, kColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row at once.
    void SetRows(std::vector<LedRow> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<LedRow> m_rows;
};

}  // namespace lumetra
