#include "store/ComTable.h"

#include <string>

#include "store/ChangeJournal.h"
#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

std::optional<int> CComTable::Read() const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectCom);
    if (rows.AtEnd()) return std::nullopt;
    return rows.GetFieldInt("com");
}

void CComTable::Write(int portNumber) {
    auto text = [](std::optional<int> number) { return number ? "COM" + std::to_string(*number) : "（无）"; };
    const std::optional<int> before = Read();
    m_db.ExecuteSql(FormatSql(sql::kSetCom, std::to_string(portNumber)));
    JournalSettingChange("通信端口", text(before), text(portNumber));
}

}  // namespace lumetra
