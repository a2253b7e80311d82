// A report list whose rows each paint their background in a colour of their own: grid lines,
// full-row selection, header columns the operator can move, centred columns of given widths.
// Rows live in a model and load in one reset, so thousands of rows appear at once.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>
#include <vector>

namespace lumetra {

struct ColorListRow {
    QStringList cells;
    QColor background;  // invalid: the list's own background
};

class CColorListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetHeaders(const QStringList& headers);
    // Replaces every row (and so every colour) in one reset.
    void SetRows(std::vector<ColorListRow> rows);
    const ColorListRow& Row(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // Replaces one row in place, keeping the selection and the scroll position.
    void SetRow(int row, ColorListRow content);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_headers;
    std::vector<ColorListRow> m_rows;
};

class CColorList : public QTableView {
    Q_OBJECT
public:
    // Each column is as wide as its header and cells; the columns that fill share the room left,
    // and a text longer than its room there is shortened in the middle (its tooltip is whole).
    struct Column {
        QString header;
        bool fills = false;
    };

    CColorList(const std::vector<Column>& columns, QWidget* parent);

    void SetRows(std::vector<ColorListRow> rows) { m_model.SetRows(std::move(rows)); }
    void SetRow(int row, ColorListRow content) { m_model.SetRow(row, std::move(content)); }
    // Removing every row forgets every colour with it.
    void Clear() { m_model.SetRows({}); }
    int RowCount() const { return m_model.rowCount(); }
    QString CellText(int row, int column) const;
    QColor RowBackground(int row) const { return m_model.Row(row).background; }

    // The row selected last while any row is selected, otherwise -1.
    int LastSelectedRow() const;
    void SelectRow(int row, bool add = false);

signals:
    // A double click on a row; a double click on empty space is not reported.
    void RowDoubleClicked(int row);

private:
    CColorListModel m_model;
};

}  // namespace lumetra
