#include "store/ShutdownTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

ShutdownRow CShutdownTable::Read() const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectShutdown);
    return {rows.GetFieldText("启用关机") == "1", rows.GetFieldText("关机时间")};
}

void CShutdownTable::Write(bool enabled, int hour, int minute, int second) {
    m_db.ExecuteSql(FormatSql(sql::kSetShutdown, enabled ? 1 : 0, hour, minute, second));
}

}  // namespace lumetra
