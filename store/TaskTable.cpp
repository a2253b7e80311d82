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
    for (; !rows.AtEnd(); rows.MoveNext()) tasks.push_back(TaskRecord::FromRow(rows));
    return tasks;
}

void CTaskTable::ForEach(const std::function<bool(const TaskRecord&)>& visit) {
    // Closed at the end whichever way the walk ends; its buffers stay for the next one.
    struct CloseAtEnd {
        CRecordset& rows;
        ~CloseAtEnd() { rows.Close(); }
    } closeAtEnd{m_rows};
    m_rows.Open(sql::kSelectTasksForTick);
    for (; !m_rows.AtEnd(); m_rows.MoveNext())
        if (!visit(TaskRecord::FromRow(m_rows))) return;
}

namespace {

struct RepeatTexts {
    RepeatKind kind;
    const char* code;  // 提醒次数
    const char* word;  // 重复周期
};
constexpr RepeatTexts kRepeatTexts[] = {
    {RepeatKind::kOnce, kRepeatOnce, "次"},
    {RepeatKind::kWeekly, kRepeatWeekly, "周"},
    {RepeatKind::kDaily, kRepeatDaily, "天"},
};

RepeatKind KindWhere(const std::string& text, const char* RepeatTexts::*field) {
    for (const RepeatTexts& texts : kRepeatTexts)
        if (text == texts.*field) return texts.kind;
    return RepeatKind::kNone;
}

const char* TextOf(RepeatKind kind, const char* RepeatTexts::*field) {
    for (const RepeatTexts& texts : kRepeatTexts)
        if (texts.kind == kind) return texts.*field;
    return "";
}

}  // namespace

RepeatKind RepeatKindOf(const std::string& code) {
    return KindWhere(code, &RepeatTexts::code);
}

const char* RepeatCode(RepeatKind kind) {
    return TextOf(kind, &RepeatTexts::code);
}

RepeatKind RepeatKindOfWord(const std::string& word) {
    return KindWhere(word, &RepeatTexts::word);
}

const char* RepeatWord(RepeatKind kind) {
    return TextOf(kind, &RepeatTexts::word);
}

void CTaskTable::SetState(const std::string& idText, TaskState state) {
    m_db.ExecuteSql(FormatSql(sql::kSetStateById, TaskStateWord(state), LeadingInt(idText)));
}

void CTaskTable::ChangeStates(TaskState to, TaskState from) {
    m_db.ExecuteSql(FormatSql(sql::kSetStateWhereState, TaskStateWord(to), TaskStateWord(from)));
}

std::vector<TaskRecord> CTaskTable::FindByNameAndStart(const std::string& name,
                                                       const std::string& startTime) {
    CRecordset rows(m_db);
    rows.Open(FormatSql(sql::kSelectTaskByNameAndStart, name, startTime));
    std::vector<TaskRecord> tasks;
    for (; !rows.AtEnd(); rows.MoveNext()) tasks.push_back(TaskRecord::FromRow(rows));
    return tasks;
}

void CTaskTable::DeleteByNameAndStart(const std::string& name, const std::string& startTime) {
    m_db.ExecuteSql(FormatSql(sql::kDeleteTaskByNameAndStart, name, startTime));
}

std::string CTaskTable::InsertStatement(const TaskRecord& t) {
    // Weekly tasks have always gone through the second insert text, the others through the first.
    const char* statement = t.repeatCode == "1" ? sql::kInsertTaskAlt : sql::kInsertTask;
    return FormatSql(statement, t.name, t.date, t.startTime, t.endTime, t.repeatText, t.source, t.playList,
                     t.zones, t.repeatCode, t.weekDays, t.state, t.fm, t.power);
}

std::string CTaskTable::UpdateStatement(const TaskRecord& t, int id) {
    const int code = LeadingInt(t.repeatCode);
    if (t.repeatCode == "1")
        return FormatSql(sql::kUpdateTask, t.date, t.startTime, t.endTime, t.repeatText, t.source, t.playList,
                         t.zones, t.weekDays, t.fm, t.state, t.power, code, t.name, id);
    return FormatSql(sql::kUpdateTaskKeepWeekDays, t.date, t.startTime, t.endTime, t.repeatText, t.source,
                     t.playList, t.zones, t.fm, t.state, t.power, code, t.name, id);
}

void CTaskTable::Insert(const TaskRecord& task) {
    m_db.ExecuteSql(InsertStatement(task));
}

bool CTaskTable::Update(const TaskRecord& task, int id) {
    return m_db.ExecuteSql(UpdateStatement(task, id)) > 0;
}

}  // namespace lumetra
