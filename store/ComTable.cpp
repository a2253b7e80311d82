#include "store/ComTable.h"

#include <string>

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

std::optional<int> CComTable::Read() const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectCom);
    if (rows.IsEOF()) return std::nullopt;
    return rows.GetFieldInt("com");
}

void CComTable::Write(int portNumber) {
    m_db.ExecuteSql(FormatSql(sql::kSetCom, std::to_string(portNumber)));
}

}  // namespace lumetra
