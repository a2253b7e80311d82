#include "store/CalendarTable.h"

#include "store/Database.h"
#include "store/LoggedIn.h"
#include "store/OwnTables.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

constexpr OwnTable kCalendar = {"lumetra_calendar",
                                "create table if not exists lumetra_calendar (id integer primary key "
                                "autoincrement, first_day text not null, last_day text not null, week_day "
                                "integer not null, name text not null)",
                                1};

}  // namespace

std::vector<CalendarRow> CCalendarTable::ReadAll() {
    std::vector<CalendarRow> result;
    if (!OwnTableExists(m_db, kCalendar)) return result;
    CRecordset rows(m_db);
    rows.Open("select * from lumetra_calendar order by first_day, id");
    for (; !rows.AtEnd(); rows.MoveNext())
        result.push_back({rows.GetFieldInt("id"), rows.GetFieldText("first_day"),
                          rows.GetFieldText("last_day"), rows.GetFieldInt("week_day"),
                          rows.GetFieldText("name")});
    return result;
}

void CCalendarTable::Add(const CalendarRow& row) {
    RequireAdministrator("修改校历");
    WriteOwnTable(m_db, kCalendar,
                  {FormatSql("insert into lumetra_calendar (first_day, last_day, week_day, name) values "
                             "('%s', '%s', %d, '%s')",
                             row.firstDay, row.lastDay, row.weekDay, row.name)});
}

void CCalendarTable::Remove(int id) {
    RequireAdministrator("修改校历");
    if (!OwnTableExists(m_db, kCalendar)) return;
    m_db.ExecuteSql(FormatSql("delete from lumetra_calendar where id=%d", id));
}

}  // namespace lumetra
