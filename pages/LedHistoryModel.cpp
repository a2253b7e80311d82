#include "pages/LedHistoryModel.h"

namespace lumetra {

void CLedHistoryModel::SetRows(std::vector<LedRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CLedHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CLedHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CLedHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    const LedRow& row = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::ToolTipRole && index.column() == kContent) return QString::fromStdString(row.content);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case kNumber:
            return QString::number(rowCount() - index.row());
        case kAddress:
            return QString::fromStdString(row.address);
        case kContent:
            return QString::fromStdString(row.content);
        case kTime:
            return QString::fromStdString(row.sendTime);
        default:
            return {};
    }
}

QVariant CLedHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    static const char* const kTitles[kColumnCount] = {"序号", "编码", "内容", "时间"};
    return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

}  // namespace lumetra
