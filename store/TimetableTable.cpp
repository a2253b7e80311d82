#include "store/TimetableTable.h"

#include "store/Database.h"
#include "store/OwnTables.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

// The three tables come into being together: none of them means anything without the others.
constexpr OwnTable kTimetables = {
    "lumetra_timetable",
    "create table if not exists lumetra_timetable (id integer primary key autoincrement, name text not "
    "null); create table if not exists lumetra_timetable_range (id integer primary key autoincrement, "
    "timetable_id integer not null, first_day text not null, last_day text not null); create table if "
    "not exists lumetra_task_timetable (task_id integer primary key, timetable_id integer not null)",
    16};

// The timetable the statement before inserted: IDs only grow, so it has the highest.
constexpr const char* kNewTimetable = "(select max(id) from lumetra_timetable)";

std::string InsertRange(const std::string& timetable, const TimetableRangeRow& range) {
    return FormatSql(
        "insert into lumetra_timetable_range (timetable_id, first_day, last_day) values (%s, "
        "'%s', '%s')",
        timetable, range.firstDay, range.lastDay);
}

}  // namespace

std::vector<TimetableRow> CTimetableTable::ReadAll() {
    std::vector<TimetableRow> result;
    if (!OwnTableExists(m_db, kTimetables)) return result;
    CRecordset rows(m_db);
    rows.Open("select id, name from lumetra_timetable order by id");
    std::map<int, size_t> index;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        index[rows.GetFieldInt("id")] = result.size();
        result.push_back({rows.GetFieldInt("id"), rows.GetFieldText("name"), {}});
    }
    rows.Open(
        "select id, timetable_id, first_day, last_day from lumetra_timetable_range order by first_day, id");
    for (; !rows.AtEnd(); rows.MoveNext()) {
        const auto found = index.find(rows.GetFieldInt("timetable_id"));
        if (found != index.end())
            result[found->second].ranges.push_back(
                {rows.GetFieldInt("id"), rows.GetFieldText("first_day"), rows.GetFieldText("last_day")});
    }
    return result;
}

std::map<int, int> CTimetableTable::ReadTaskTimetables() {
    std::map<int, int> result;
    if (!OwnTableExists(m_db, kTimetables)) return result;
    CRecordset rows(m_db);
    rows.Open("select task_id, timetable_id from lumetra_task_timetable");
    for (; !rows.AtEnd(); rows.MoveNext())
        result[rows.GetFieldInt("task_id")] = rows.GetFieldInt("timetable_id");
    return result;
}

void CTimetableTable::Write(const std::vector<std::string>& statements) {
    WriteOwnTable(m_db, kTimetables, statements);
}

void CTimetableTable::Add(const std::string& name, const std::vector<TimetableRangeRow>& ranges) {
    AddCopy(name, ranges, {});
}

void CTimetableTable::Rename(int id, const std::string& name) {
    Write({FormatSql("update lumetra_timetable set name='%s' where id=%d", name, id)});
}

void CTimetableTable::AddRange(int timetableId, const TimetableRangeRow& range) {
    Write({InsertRange(std::to_string(timetableId), range)});
}

void CTimetableTable::RemoveRange(int rangeId) {
    Write({FormatSql("delete from lumetra_timetable_range where id=%d", rangeId)});
}

void CTimetableTable::Remove(int id, bool withTasks) {
    std::vector<std::string> statements;
    if (withTasks)
        statements.push_back(
            FormatSql("delete from tb_memo where ID in (select task_id from lumetra_task_timetable where "
                      "timetable_id=%d)",
                      id));
    for (const char* table : {"lumetra_task_timetable", "lumetra_timetable_range"})
        statements.push_back(FormatSql("delete from %s where timetable_id=%d", table, id));
    statements.push_back(FormatSql("delete from lumetra_timetable where id=%d", id));
    Write(statements);
}

void CTimetableTable::AddCopy(const std::string& name, const std::vector<TimetableRangeRow>& ranges,
                              const std::vector<CopiedTask>& tasks) {
    std::vector<std::string> statements{
        FormatSql("insert into lumetra_timetable (name) values ('%s')", name)};
    for (const TimetableRangeRow& range : ranges) statements.push_back(InsertRange(kNewTimetable, range));
    for (const CopiedTask& task : tasks) {
        statements.push_back(task.insert);
        // task_id is the row's own key, so last_insert_rowid() still names the copied task after it.
        statements.push_back(FormatSql(
            "insert into lumetra_task_timetable (task_id, timetable_id) values (last_insert_rowid(), %s)",
            kNewTimetable));
        statements.insert(statements.end(), task.after.begin(), task.after.end());
    }
    Write(statements);
}

void CTimetableTable::DeleteTasks(const std::string& name, const std::string& startTime, int timetableId) {
    const std::string members =
        timetableId == 0
            ? std::string("not in (select task_id from lumetra_task_timetable)")
            : FormatSql("in (select task_id from lumetra_task_timetable where timetable_id=%d)", timetableId);
    Write({FormatSql("delete from tb_memo where 任务名称='%s' and 开始时间='%s' and ID ", name, startTime) +
           members});
}

std::vector<std::string> CTimetableTable::TaskStatements(const std::string& taskRow, int timetableId) {
    if (timetableId == 0 && !OwnTableExists(m_db, kTimetables)) return {};
    std::vector<std::string> statements{
        FormatSql("delete from lumetra_task_timetable where task_id=%s", taskRow)};
    if (timetableId != 0)
        statements.push_back(
            FormatSql("insert into lumetra_task_timetable (task_id, timetable_id) values (%s, %d)", taskRow,
                      timetableId));
    return statements;
}

}  // namespace lumetra
