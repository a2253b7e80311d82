#include "store/Recordset.h"

#include <strings.h>

#include "base/NumberText.h"
#include "store/Database.h"

namespace lumetra {

void CRecordset::Rows::Clear() {
    columns.clear();
    text.clear();
    offsets.clear();
    lengths.clear();
}

void CRecordset::Open(const std::string& statement) {
    Close();
    m_db->Query(statement, m_rows);
    m_open = true;
}

void CRecordset::Close() {
    m_rows.Clear();
    m_row = 0;
    m_open = false;
}

long CRecordset::RowCount() const {
    return m_rows.columns.empty() ? 0 : static_cast<long>(m_rows.offsets.size() / m_rows.columns.size());
}

long CRecordset::GetRecordCount() const {
    return m_open ? RowCount() : -1;
}

void CRecordset::MoveNext() {
    if (AtEnd()) throw CDbError("MoveNext past the last row");
    ++m_row;
}

void CRecordset::MoveFirst() {
    if (!m_open) throw CDbError("the record set is closed");
    m_row = 0;
}

size_t CRecordset::FindColumn(std::string_view name) const {
    // Readers take the columns of every row in the same order, so the search starts behind the
    // column found last and usually hits at once; names written in another letter case are
    // found by the second pass.
    const size_t columns = m_rows.columns.size();
    for (size_t i = 0; i < columns; ++i) {
        const size_t column = (m_hint + i) % columns;
        if (m_rows.columns[column] == name) {
            m_hint = column + 1;
            return column;
        }
    }
    for (size_t column = 0; column < columns; ++column) {
        const std::string& candidate = m_rows.columns[column];
        if (candidate.size() == name.size() && strncasecmp(candidate.data(), name.data(), name.size()) == 0)
            return column;
    }
    throw CDbError("no field named " + std::string(name) + " in the record set");
}

std::string_view CRecordset::FieldView(std::string_view name) const {
    if (!m_open) throw CDbError("the record set is closed");
    const size_t column = FindColumn(name);
    if (AtEnd()) throw CDbError("reading field " + std::string(name) + " at the end of the record set");
    const size_t index = m_row * m_rows.columns.size() + column;
    if (m_rows.offsets[index] == kNull) throw CDbError("field " + std::string(name) + " is null");
    return std::string_view(m_rows.text).substr(m_rows.offsets[index], m_rows.lengths[index]);
}

std::string CRecordset::GetFieldText(std::string_view name) const {
    return std::string(FieldView(name));
}

int CRecordset::GetFieldInt(std::string_view name) const {
    return LeadingInt(FieldView(name));
}

}  // namespace lumetra
