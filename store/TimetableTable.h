// Timetables (作息表) in three of Lumetra's own tables, created together by the first write:
//   create table if not exists lumetra_timetable (
//     id integer primary key autoincrement,
//     name text not null)
//   create table if not exists lumetra_timetable_range (
//     id integer primary key autoincrement,
//     timetable_id integer not null,  -- lumetra_timetable.id
//     first_day text not null,        -- "%m-%d"
//     last_day text not null)         -- "%m-%d"; before first_day for a range over the new year
//   create table if not exists lumetra_task_timetable (
//     task_id integer primary key,    -- tb_memo.ID
//     timetable_id integer not null)  -- lumetra_timetable.id
// A task without a row is in no timetable and runs all year.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct TimetableRangeRow {
    int id = 0;
    std::string firstDay, lastDay;
};

struct TimetableRow {
    int id = 0;
    std::string name;
    std::vector<TimetableRangeRow> ranges;  // by first day
};

// A task copied into a new timetable: its insert statement, and statements to run right after it
// that name the new row as last_insert_rowid().
struct CopiedTask {
    std::string insert;
    std::vector<std::string> after;
};

// Every method throws CDbError when the database refuses or is not connected; a write keeps all
// of its statements or none.
class CTimetableTable {
public:
    explicit CTimetableTable(CDatabase& db) : m_db(db) {}

    // By ID; none while the tables were never written (they are then not created either).
    std::vector<TimetableRow> ReadAll();
    // The timetable ID of every task in one, by task ID.
    std::map<int, int> ReadTaskTimetables();

    void Add(const std::string& name, const std::vector<TimetableRangeRow>& ranges);
    void Rename(int id, const std::string& name);
    void AddRange(int timetableId, const TimetableRangeRow& range);
    void RemoveRange(int rangeId);
    // Deletes the timetable with its ranges; its tasks move to no timetable, or are deleted too.
    void Remove(int id, bool withTasks);
    // A new timetable with its ranges and the copied tasks in it.
    void AddCopy(const std::string& name, const std::vector<TimetableRangeRow>& ranges,
                 const std::vector<CopiedTask>& tasks);

    // Deletes the tasks with this name and start time that are in the timetable (0: in none), where
    // the task list would delete every task with them.
    void DeleteTasks(const std::string& name, const std::string& startTime, int timetableId);

    // The statements that put a task into a timetable (0: into none), run in the transaction that
    // saves the task; `taskRow` is its ID, or "last_insert_rowid()" for the row just inserted. None
    // while the tables were never written and the task goes into none.
    std::vector<std::string> TaskStatements(const std::string& taskRow, int timetableId);

private:
    void Write(const std::vector<std::string>& statements);

    CDatabase& m_db;
};

}  // namespace lumetra
