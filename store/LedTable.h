// The LED table: one row for every text sent to an LED screen, newest first when read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct LedRow {
    std::string address;   // LedAddrID: the screen's label, 001CH to 128CH
    std::string content;   // LedContent: the text as sent
    std::string remark;    // LedRemark: stored empty
    std::string sendTime;  // sendtime: "%Y-%m-%d %H:%M:%S"
};

class CLedTable {
public:
    explicit CLedTable(CDatabase& db) : m_db(db) {}

    // Both throw CDbError. Insert returns the row's rowid, by which the history names it.
    int64_t Insert(const LedRow& row);
    std::vector<LedRow> History();

private:
    CDatabase& m_db;
};

}  // namespace lumetra
