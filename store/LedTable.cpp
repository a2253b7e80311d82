#include "store/LedTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

int64_t CLedTable::Insert(const LedRow& row) {
    return m_db.InsertRow(FormatSql(sql::kInsertLed, row.address, row.content, row.remark, row.sendTime));
}

std::vector<LedRow> CLedTable::History() {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectLedHistory);
    std::vector<LedRow> history;
    history.reserve(static_cast<size_t>(rows.GetRecordCount()));
    for (; !rows.AtEnd(); rows.MoveNext())
        history.push_back({rows.GetFieldText("LedAddrID"), rows.GetFieldText("LedContent"),
                           rows.GetFieldText("LedRemark"), rows.GetFieldText("sendtime")});
    return history;
}

}  // namespace lumetra
