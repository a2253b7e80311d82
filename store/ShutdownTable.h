// The automatic shutdown setting, in the one-row "shut_down" table.
#pragma once

#include <string>

namespace lumetra {

class CDatabase;

struct ShutdownRow {
    bool enabled = false;  // 启用关机 reads "1"
    std::string time;      // 关机时间, "H:M:S" as stored
};

// Every method throws CDbError when the database refuses or is not connected; Read also throws
// when the table has no row.
class CShutdownTable {
public:
    explicit CShutdownTable(CDatabase& db) : m_db(db) {}

    ShutdownRow Read() const;
    void Write(bool enabled, int hour, int minute, int second);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
