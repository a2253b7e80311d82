#include "store/ShutdownTable.h"

#include "store/ChangeJournal.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/LoggedIn.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

ShutdownRow CShutdownTable::Read() const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectShutdown);
    return {rows.GetFieldText("启用关机") == "1", rows.GetFieldText("关机时间")};
}

void CShutdownTable::Write(bool enabled, int hour, int minute, int second) {
    RequireAdministrator("修改自动关机设置");
    auto text = [](bool on, const std::string& time) { return std::string(on ? "启用 " : "停用 ") + time; };
    std::string before = "（无）";
    try {
        const ShutdownRow row = Read();
        before = text(row.enabled, row.time);
    } catch (const CDbError&) {
        // No row to read: the update below says whether the table is there at all.
    }
    m_db.ExecuteSql(FormatSql(sql::kSetShutdown, enabled ? 1 : 0, hour, minute, second));
    const std::string time =
        std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
    JournalSettingChange("自动关机", before, text(enabled, time));
}

}  // namespace lumetra
