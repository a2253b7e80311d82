#include "store/TaskTable.h"

#include "base/NumberText.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

std::string FieldOrEmpty(const CRecordset& rows, const char* name) {
    try {
        return rows.GetFieldText(name);
    } catch (const CDbError&) {
        // Rows the system never writes (a null column, a missing one) read as empty text.
        return {};
    }
}

}  // namespace

TaskRecord TaskRecord::FromRow(const CRecordset& rows) {
    TaskRecord t;
    t.name = FieldOrEmpty(rows, "任务名称");
    t.date = FieldOrEmpty(rows, "日期");
    t.startTime = FieldOrEmpty(rows, "开始时间");
    t.endTime = FieldOrEmpty(rows, "结束时间");
    t.playList = FieldOrEmpty(rows, "节目内容");
    t.repeatCode = FieldOrEmpty(rows, "提醒次数");
    t.weekDays = FieldOrEmpty(rows, "一周时间");
    t.source = FieldOrEmpty(rows, "音源");
    t.zones = FieldOrEmpty(rows, "目标区域");
    t.state = FieldOrEmpty(rows, "状态");
    t.id = FieldOrEmpty(rows, "ID");
    t.power = FieldOrEmpty(rows, "外设");
    t.repeatText = FieldOrEmpty(rows, "重复周期");
    t.fm = FieldOrEmpty(rows, "FM");
    return t;
}

std::vector<TaskRecord> CTaskTable::ReadAll() {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectTasks);
    std::vector<TaskRecord> tasks;
    for (; !rows.IsEOF(); rows.MoveNext()) tasks.push_back(TaskRecord::FromRow(rows));
    return tasks;
}

void CTaskTable::ForEach(const std::function<bool(const TaskRecord&)>& visit) {
    // Closed at the end whichever way the walk ends; its buffers stay for the next one.
    struct CloseAtEnd {
        CRecordset& rows;
        ~CloseAtEnd() { rows.Close(); }
    } closeAtEnd{m_rows};
    m_rows.Open(sql::kSelectTasksForTick);
    for (; !m_rows.IsEOF(); m_rows.MoveNext())
        if (!visit(TaskRecord::FromRow(m_rows))) return;
}

void CTaskTable::SetState(const std::string& idText, const char* state) {
    m_db.ExecuteSql(FormatSql(sql::kSetStateById, state, LeadingInt(idText)));
}

void CTaskTable::ChangeStates(const char* to, const char* from) {
    m_db.ExecuteSql(FormatSql(sql::kSetStateWhereState, to, from));
}

}  // namespace lumetra
