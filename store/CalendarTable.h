// The school's holidays and make-up days, in Lumetra's own table "lumetra_calendar":
//   create table if not exists lumetra_calendar (
//     id integer primary key autoincrement,
//     first_day text not null,    -- "%Y-%m-%d"
//     last_day text not null,     -- "%Y-%m-%d", the same as first_day for a single date
//     week_day integer not null,  -- 0 a holiday; 1 (Sunday) .. 7 (Saturday) the week day a
//                                 -- make-up day runs
//     name text not null)
#pragma once

#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct CalendarRow {
    int id = 0;
    std::string firstDay, lastDay;
    int weekDay = 0;
    std::string name;
};

// Every method throws CDbError when the database refuses or is not connected.
class CCalendarTable {
public:
    explicit CCalendarTable(CDatabase& db) : m_db(db) {}

    // By first day; none while the table was never written (it is then not created either).
    std::vector<CalendarRow> ReadAll();
    void Add(const CalendarRow& row);
    void Remove(int id);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
