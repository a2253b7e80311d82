// A record set: the rows of one query with a current-row position. Rows are read in full when the
// query opens, so the connection is held only while SQLite steps and a record set can be walked
// on any thread without touching the connection again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

class CDatabase;

class CRecordset {
public:
    // All rows of a query: column names, and each row's values back to back in one text buffer.
    struct Rows {
        std::vector<std::string> columns;
        std::string text;               // every value of every row, concatenated
        std::vector<uint32_t> offsets;  // per value: start in text; kNull marks a null value
        std::vector<uint32_t> lengths;  // per value: byte length
        void Clear();
    };
    static constexpr uint32_t kNull = UINT32_MAX;

    explicit CRecordset(CDatabase& db) : m_db(&db) {}

    // Runs the query; afterwards the current row is the first one, or the set is at its end.
    void Open(const std::string& statement);
    bool IsOpen() const { return m_open; }
    void Close();

    bool AtEnd() const { return !m_open || static_cast<long>(m_row) >= RowCount(); }
    void MoveNext();
    void MoveFirst();
    // Number of rows, or -1 when no query is open.
    long GetRecordCount() const;

    // The named field (letter case ignored) of the current row as text. Throws CDbError for an
    // unknown field, a read at the end or a null value.
    std::string GetFieldText(std::string_view name) const;
    // The field's text read as a decimal integer: blanks, an optional sign, leading digits.
    int GetFieldInt(std::string_view name) const;

private:
    long RowCount() const;
    size_t FindColumn(std::string_view name) const;
    std::string_view FieldView(std::string_view name) const;

    CDatabase* m_db;
    Rows m_rows;
    size_t m_row = 0;
    mutable size_t m_hint = 0;  // where the next column search starts
    bool m_open = false;
};

}  // namespace lumetra
