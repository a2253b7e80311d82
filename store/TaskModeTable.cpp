#include "store/TaskModeTable.h"

#include "store/Database.h"
#include "store/OwnTables.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

constexpr OwnTable kTaskMode = {
    "lumetra_task_mode",
    "create table if not exists lumetra_task_mode (task_id integer primary key, mode integer not null)", 2};

}  // namespace

std::optional<PlayMode> CTaskModeTable::Find(int taskId) {
    if (!OwnTableExists(m_db, kTaskMode)) return std::nullopt;
    CRecordset rows(m_db);
    rows.Open(FormatSql("select mode from lumetra_task_mode where task_id=%d", taskId));
    if (rows.AtEnd()) return std::nullopt;
    return PlayModeFromNumber(rows.GetFieldInt("mode"));
}

std::map<int, PlayMode> CTaskModeTable::ReadAll() {
    std::map<int, PlayMode> modes;
    if (!OwnTableExists(m_db, kTaskMode)) return modes;
    CRecordset rows(m_db);
    rows.Open("select task_id, mode from lumetra_task_mode");
    for (; !rows.AtEnd(); rows.MoveNext())
        modes[rows.GetFieldInt("task_id")] = PlayModeFromNumber(rows.GetFieldInt("mode"));
    return modes;
}

bool CTaskModeTable::SaveWithTask(const std::string& taskStatement, int taskId, PlayMode mode,
                                  const std::vector<std::string>& alsoRun) {
    // The statements in alsoRun key their rows by the task's ID, so last_insert_rowid() still
    // names the inserted task after them.
    const std::string row = taskId < 0 ? std::string("last_insert_rowid()") : std::to_string(taskId);
    std::vector<std::string> statements{taskStatement};
    statements.insert(statements.end(), alsoRun.begin(), alsoRun.end());
    statements.push_back(FormatSql("insert or replace into lumetra_task_mode (task_id, mode) values (%s, %d)",
                                   row, PlayModeNumber(mode)));
    statements.push_back("delete from lumetra_task_mode where task_id not in (select ID from tb_memo)");
    return WriteOwnTable(m_db, kTaskMode, statements, true);
}

std::vector<std::string> CTaskModeTable::CopyStatements(int fromTaskId) {
    if (!OwnTableExists(m_db, kTaskMode)) return {};
    return {
        FormatSql("insert into lumetra_task_mode (task_id, mode) select last_insert_rowid(), mode from "
                  "lumetra_task_mode where task_id=%d",
                  fromTaskId)};
}

}  // namespace lumetra
