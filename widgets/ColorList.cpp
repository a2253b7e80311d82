#include "widgets/ColorList.h"

#include <QHeaderView>

namespace lumetra {

void CColorListModel::SetHeaders(const QStringList& headers) {
    beginResetModel();
    m_headers = headers;
    endResetModel();
}

void CColorListModel::SetRows(std::vector<ColorListRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CColorListModel::SetRow(int row, ColorListRow content) {
    if (row < 0 || row >= rowCount()) return;
    m_rows[static_cast<size_t>(row)] = std::move(content);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int CColorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CColorListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CColorListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const ColorListRow& row = Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:  // a long path cut short in its column shows in full
            return index.column() < row.cells.size() ? row.cells[index.column()] : QString();
        case Qt::BackgroundRole:
            return row.background.isValid() ? QVariant(row.background) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        default:
            return {};
    }
}

QVariant CColorListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) return {};
    if (role == Qt::DisplayRole) return m_headers[section];
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

CColorList::CColorList(const std::vector<Column>& columns, QWidget* parent) : QTableView(parent) {
    QStringList headers;
    for (const Column& column : columns) headers << column.header;
    m_model.SetHeaders(headers);
    setModel(&m_model);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);  // Tab leaves the list; the arrows move within it
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        horizontalHeader()->setSectionResizeMode(
            i, columns[i].fills ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit RowDoubleClicked(index.row());
    });
}

QString CColorList::CellText(int row, int column) const {
    const QStringList& cells = m_model.Row(row).cells;
    return column < cells.size() ? cells[column] : QString();
}

int CColorList::LastSelectedRow() const {
    const QItemSelectionModel* selection = selectionModel();
    if (!selection->hasSelection()) return -1;
    const QModelIndex current = currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), {})) return current.row();
    return selection->selectedRows().constLast().row();
}

void CColorList::SelectRow(int row, bool add) {
    const QModelIndex index = m_model.index(row, 0);
    selectionModel()->setCurrentIndex(
        index, (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
                   QItemSelectionModel::Rows);
}

}  // namespace lumetra
