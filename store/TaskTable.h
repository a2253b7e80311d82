// The broadcast tasks, in the "tb_memo" table: one row per task, every field stored as text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/Recordset.h"
#include "store/TaskStates.h"

namespace lumetra {

class CDatabase;

// One tb_memo row as stored. Nothing derived is kept here: the scheduler reads numbers, dates and
// times afresh from the text.
struct TaskRecord {
    std::string id;          // ID
    std::string name;        // 任务名称
    std::string date;        // 日期, "%Y-%m-%d"
    std::string startTime;   // 开始时间, "%H:%M:%S"
    std::string endTime;     // 结束时间, "%H:%M:%S"
    std::string repeatText;  // 重复周期: "次", "周" or "天"
    std::string source;      // 音源
    std::string playList;    // 节目内容: paths joined by "|"
    std::string zones;       // 目标区域: 128 entries "1"/"0" joined by "|"
    std::string repeatCode;  // 提醒次数: "0" once, "1" weekly, "2" daily
    std::string weekDays;    // 一周时间: digits "1" (Sunday) to "7" (Saturday)
    std::string state;       // 状态
    std::string fm;          // FM
    std::string power;       // 外设: four characters "1"/"0"

    // Reads the current row; a column that is missing or null reads as empty text.
    static TaskRecord FromRow(const CRecordset& rows);
};

// 提醒次数 as stored.
inline constexpr const char* kRepeatOnce = "0";
inline constexpr const char* kRepeatWeekly = "1";
inline constexpr const char* kRepeatDaily = "2";

enum class RepeatKind { kNone, kOnce, kWeekly, kDaily };
// kNone for any text but the three codes.
RepeatKind RepeatKindOf(const std::string& code);
// The stored code; "" for kNone.
const char* RepeatCode(RepeatKind kind);
// The same for 重复周期, the kind as the list shows it: "次", "周" or "天".
RepeatKind RepeatKindOfWord(const std::string& word);
const char* RepeatWord(RepeatKind kind);

// Every method throws CDbError when the database refuses or is not connected.
class CTaskTable {
public:
    explicit CTaskTable(CDatabase& db) : m_db(db), m_rows(db) {}

    // Every task in start-time order, as the task list shows them.
    std::vector<TaskRecord> ReadAll();

    // Hands every task in start-time order to `visit` until it returns false; the scheduler's walk.
    // All rows are read before the first visit, so a visit may write to the table. The read
    // buffers are kept for the next walk, so repeated walks do not allocate anew.
    void ForEach(const std::function<bool(const TaskRecord&)>& visit);

    // Stores the word of `state` for the row whose ID is the leading number of `idText`.
    void SetState(const std::string& idText, TaskState state);
    // Every row in state `from` gets state `to`.
    void ChangeStates(TaskState to, TaskState from);

    // Every task with this name and start time in the database's order, as the task list finds a
    // task; none when no row matches any more (deleted or changed since the list was read).
    std::vector<TaskRecord> FindByNameAndStart(const std::string& name, const std::string& startTime);
    // Every task with this name and start time.
    void DeleteByNameAndStart(const std::string& name, const std::string& startTime);
    // A new row from every field but `id`; 提醒次数 is `repeatCode`.
    void Insert(const TaskRecord& task);
    // Rewrites the row whose ID is `id`; false when no row has it (any more). A weekly task stores
    // its 一周时间; a once or daily task leaves the stored one as it is.
    bool Update(const TaskRecord& task, int id);
    static std::string InsertStatement(const TaskRecord& task);
    static std::string UpdateStatement(const TaskRecord& task, int id);

private:
    CDatabase& m_db;
    CRecordset m_rows;  // the walk's rows; used by one thread at a time
};

}  // namespace lumetra
