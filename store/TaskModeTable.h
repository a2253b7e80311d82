// Each task's own play mode, in Lumetra's own table "lumetra_task_mode":
//   create table if not exists lumetra_task_mode (
//     task_id integer primary key,  -- tb_memo.ID
//     mode integer not null)        -- 1 单曲循环, 2 顺序播放, 3 随机播放, 4 列表循环
// A task without a row plays in the instant-play page's mode.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/PlayMode.h"

namespace lumetra {

class CDatabase;

// Every method throws CDbError when the database refuses or is not connected.
class CTaskModeTable {
public:
    explicit CTaskModeTable(CDatabase& db) : m_db(db) {}

    // A stored number outside 1 to 4 reads as the first mode.
    std::optional<PlayMode> Find(int taskId);
    // Every stored mode by task ID; empty while the table was never written.
    std::map<int, PlayMode> ReadAll();
    // Runs the task's own statement (its insert or update) and stores its mode in one transaction:
    // both are kept or neither. `taskId` < 0 names the row the insert adds. Modes of tasks
    // deleted since are dropped, so an ID used again never inherits one.
    // `alsoRun` runs right after the task statement in the same transaction (the task's timetable).
    // False, with nothing stored, when the task statement changed no row.
    bool SaveWithTask(const std::string& taskStatement, int taskId, PlayMode mode,
                      const std::vector<std::string>& alsoRun = {});
    // Gives the row just inserted (last_insert_rowid()) the mode of task `fromTaskId`, if it has
    // one; none while the table was never written.
    std::vector<std::string> CopyStatements(int fromTaskId);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
