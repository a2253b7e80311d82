// The serial port chosen last, in the one-row "com" table.
#pragma once

#include <optional>

namespace lumetra {

class CDatabase;

// Every method throws CDbError when the database refuses or is not connected.
class CComTable {
public:
    explicit CComTable(CDatabase& db) : m_db(db) {}

    // The stored port number as written (not range-checked); none when the table has no row.
    std::optional<int> Read() const;
    void Write(int portNumber);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
