// The calendar rules of a task: which days it is due, and the seconds that matter on such a day.
#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "schedule/SchoolCalendar.h"
#include "schedule/TaskFields.h"
#include "store/CalendarTable.h"
#include "store/OwnTables.h"
#include "store/TaskModeTable.h"
#include "store/TimetableTable.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::CZone;
using test::LocalTime;
TaskRecord Task(const char* code, const char* date, const char* weekDays = "", const char* start = "08:00:00",
                const char* end = "08:30:00") {
    TaskRecord t;
    t.date = date, t.startTime = start, t.endTime = end, t.repeatCode = code, t.weekDays = weekDays;
    return t;
}

// How many times a day each task is due over spans of days: a weekly task counts each occurrence
// of the day's digit; codes and days the editor never writes are never due. The school's
// calendar, stored and read back, brings holidays over a month end and a year end and make-up
// days (one of them inside a holiday); a once task keeps its date on a holiday. A database is not
// touched until the first entry is saved; dates that do not exist are never read.
TEST(DueCountToday, RepeatKindsHolidaysAndMakeUpDays) {
    CZone tz("Asia/Shanghai");
    test::TestDatabase db;
    CCalendarTable table(db.Db());
    EXPECT_TRUE(table.ReadAll().empty());
    EXPECT_EQ(OwnSchemaVersion(db.Db()), 0);
    const CalendarRow rows[] = {
        {0, "2026-10-01", "2026-10-07", 0, "国庆节"}, {0, "2026-09-30", "2026-10-01", 0, "中秋节"},
        {0, "2026-09-27", "2026-09-27", 2, "调休"},   {0, "2026-10-07", "2026-10-07", 5, "调休"},
        {0, "2026-10-10", "2026-10-10", 6, "调休"},   {0, "2026-12-31", "2027-01-02", 0, "元旦"},
        {0, "2027-01-03", "2027-01-03", 2, "调休"},   {0, "2026-02-30", "2026-02-30", 0, "不存在的日子"},
    };
    for (const CalendarRow& row : rows) table.Add(row);
    const CSchoolCalendar calendar = ReadSchoolCalendar(db.Db());
    EXPECT_EQ(calendar.Entries().size(), std::size(rows) - 1) << "a date that does not exist is left out";

    // Each case: the repeat code, the date, the week days ("-": none), the first day (in 2026: 02-28
    // is a Saturday, 09-26 too) and a character per day from there. 09-27 and 01-03 run Monday's
    // timetable, 10-10 Friday's; 01-01 is a holiday.
    std::istringstream cases(
        "0 2026-03-03 - 02-28 ...1.....; 2 2026-03-03 - 02-28 ...111111; 1 2026-02-01 17 02-28 11.....11; "
        "1 2026-03-02 17 02-28 .......11; 1 2026-02-01 2722 02-28 1.3....1.; 2 2026-02-01 22 02-28 "
        "111111111; "
        "1 2026-02-01 - 02-28 .........; 1 2026-02-01 089x 02-28 .........; - 2026-02-01 - 02-28 .........; "
        "02 2026-02-01 - 02-28 .........; 2 2026-09-01 - 09-26 1111.......11111; "
        "1 2026-09-01 2 09-26 .11.............; 1 2026-09-01 1 09-26 ...............1; "
        "1 2026-09-01 6 09-26 .............11.; 0 2026-10-03 - 09-26 .......1........; "
        "2 2026-09-01 - 12-29 11...11; 1 2026-09-01 2 12-29 .....11; 1 2026-09-01 1 12-29 .......; "
        "1 2026-09-01 6 12-29 .......");
    for (std::string text; std::getline(cases, text, ';');) {
        std::istringstream row(text);
        std::string code, date, weekDays, expected, due;
        int month = 0, day = 0;
        char dash = 0;
        row >> code >> date >> weekDays >> month >> dash >> day >> expected;
        const TaskRecord task =
            Task(code == "-" ? "" : code.c_str(), date.c_str(), weekDays == "-" ? "" : weekDays.c_str());
        for (size_t k = 0; k < expected.size(); ++k) {
            const std::time_t noon = LocalTime(2026, month, day + static_cast<int>(k), 12, 0, 0);
            const int count = DueCountToday(task, noon, calendar);
            due += count ? static_cast<char>('0' + count) : '.';
            EXPECT_EQ(IsDueToday(task, noon, calendar), count > 0);
        }
        EXPECT_EQ(due, expected) << text;
    }
    EXPECT_EQ(*calendar.Day(LocalTime(2026, 10, 1, 9, 0, 0)).name, "国庆节");

    table.Remove(table.ReadAll().at(1).id);  // 09-27 (after 02-30): a Sunday again
    EXPECT_FALSE(IsDueToday(Task("1", "2026-09-01", "2"), LocalTime(2026, 9, 27, 12, 0, 0),
                            ReadSchoolCalendar(db.Db())));

    long dayNumber = 0;
    EXPECT_TRUE(ParseCalendarDate("2028-02-29", dayNumber));
    EXPECT_EQ(dayNumber, CivilDayNumber(2028, 2, 29));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-10-01x", "", "10-01", "2026-00-10"})
        EXPECT_FALSE(ParseCalendarDate(bad, dayNumber)) << bad;
}

// Timetables stored and read back, tasks saved into them the way the editor saves: each task is
// due only inside its timetable's ranges, one over the new year included; a range to 02-29 ends
// on 02-28 outside leap years and one from 02-29 starts on 03-01. The holiday and make-up rules
// apply inside the range: the summer-to-winter changeover falls on a make-up Saturday that runs
// Friday's tasks, the winter-to-summer one inside a holiday, where only once tasks run. Deleting a
// timetable moves its tasks to all year or deletes them with it.
TEST(DueCountToday, TimetablesOverTheNewYearLeapDaysAndChangeovers) {
    CZone tz("Asia/Shanghai");
    test::TestDatabase db;
    CCalendarTable calendarTable(db.Db());
    calendarTable.Add({0, "2026-10-01", "2026-10-07", 0, "国庆节"});
    calendarTable.Add({0, "2026-10-10", "2026-10-10", 6, "调休"});
    calendarTable.Add({0, "2027-05-01", "2027-05-05", 0, "劳动节"});
    CTimetableTable timetables(db.Db());
    EXPECT_TRUE(timetables.TaskStatements("1", 0).empty()) << "nothing is created for a task in none";
    timetables.Add("冬季作息", {{0, "10-10", "04-30"}});  // 1
    timetables.Add("夏季作息", {{0, "05-01", "10-09"}});  // 2
    timetables.Add("二月末", {{0, "02-25", "02-29"}});    // 3
    timetables.Add("闰日起", {{0, "02-29", "03-02"}});    // 4
    EXPECT_EQ(OwnSchemaVersion(db.Db()), 1 | 16);

    // The timetable (0: none), the repeat code, the week days ("-": none), the date, the first day
    // and a character per day from there.
    const char* cases[] = {
        "2 2 - 2026-09-01 2026-10-08 11...",    "1 2 - 2026-09-01 2026-10-08 ..111",
        "2 1 6 2026-09-01 2026-10-08 .1...",    "1 1 6 2026-09-01 2026-10-08 ..1..",
        "0 1 6 2026-09-01 2026-10-08 .11..",    "2 2 - 2026-09-01 2027-04-29 .......1",
        "1 2 - 2026-09-01 2027-04-29 11......", "1 0 - 2027-05-06 2027-04-29 ........",
        "2 0 - 2027-05-01 2027-04-29 ..1.....", "1 2 - 2026-09-01 2027-12-30 1111",
        "2 2 - 2026-09-01 2027-12-30 ....",     "3 2 - 2026-09-01 2028-02-27 111.",
        "3 2 - 2026-09-01 2027-02-27 11.",      "4 2 - 2026-09-01 2027-02-27 ..11.",
        "4 2 - 2026-09-01 2028-02-27 ..111",
    };
    struct Case {
        int timetable = 0, year = 0, month = 0, day = 0;
        std::string code, weekDays, date, expected;
    };
    std::vector<Case> parsed;
    CTaskModeTable modes(db.Db());
    for (const char* text : cases) {
        std::istringstream row(text);
        Case c;
        char dash = 0;
        row >> c.timetable >> c.code >> c.weekDays >> c.date >> c.year >> dash >> c.month >> dash >> c.day >>
            c.expected;
        TaskRecord task = Task(c.code.c_str(), c.date.c_str(), c.weekDays == "-" ? "" : c.weekDays.c_str());
        task.startTime = "08:" + std::to_string(10 + parsed.size()) + ":00";  // keeps the cases in order
        ASSERT_TRUE(modes.SaveWithTask(CTaskTable::InsertStatement(task), -1, PlayMode::kLoop,
                                       timetables.TaskStatements("last_insert_rowid()", c.timetable)));
        parsed.push_back(c);
    }
    auto dueDays = [&](const Case& c, const TaskRecord& task, const CSchoolCalendar& calendar) {
        std::string due;
        for (size_t k = 0; k < c.expected.size(); ++k)
            due +=
                IsDueToday(task, LocalTime(c.year, c.month, c.day + static_cast<int>(k), 12, 0, 0), calendar)
                    ? '1'
                    : '.';
        return due;
    };
    std::vector<TaskRecord> stored = CTaskTable(db.Db()).ReadAll();
    ASSERT_EQ(stored.size(), parsed.size());
    const CSchoolCalendar calendar = ReadSchoolCalendar(db.Db());
    for (size_t i = 0; i < parsed.size(); ++i)
        EXPECT_EQ(dueDays(parsed[i], stored[i], calendar), parsed[i].expected) << cases[i];

    timetables.Remove(3, true);
    timetables.Remove(4, false);
    stored = CTaskTable(db.Db()).ReadAll();
    ASSERT_EQ(stored.size(), parsed.size() - 2) << "the task of 二月末 went with it";
    EXPECT_EQ(dueDays(parsed.back(), stored.back(), ReadSchoolCalendar(db.Db())), "11111") << "now all year";
    EXPECT_EQ(timetables.ReadAll().size(), 2u);
}

// Texts the editor never writes are read by their leading digits, without a crash. On the days the
// clocks change, a moment is built with the rule of its own date: 01:00 to 04:00 lasts two hours
// in spring and four in autumn.
TEST(TaskTimes, OddTextsAndClockChangeDays) {
    CZone tz("Europe/Berlin");
    const std::time_t now = LocalTime(2026, 3, 5, 9, 0, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).sinceStart, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).duration, 60);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5"), now).dayOffset, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-03-05", "", "9", "10"), now).duration, 3600);
    for (const char* date : {"", "x", "2026", "2026-", "2026-03", "----------", "9999-99-99"})
        EXPECT_EQ(TaskTimes(Task("2", date, "", "", ""), now).sinceStart, 9 * 3600) << date;  // as midnight

    const TaskTimesResult spring =
        TaskTimes(Task("2", "2026-03-28", "", "01:00:00", "04:00:00"), LocalTime(2026, 3, 29, 4, 0, 0));
    EXPECT_EQ(spring.dayOffset, 1);
    EXPECT_EQ(spring.sinceEnd, 0);
    EXPECT_EQ(spring.duration, 2 * 3600);
    EXPECT_EQ(TaskTimes(Task("2", "2026-10-25", "", "01:00:00", "04:00:00"), LocalTime(2026, 10, 25, 4, 0, 0))
                  .duration,
              4 * 3600);
}

// A file written by other tools may lack columns or hold nulls. (Every column read back as stored:
// TaskPagesTest's eachRepeatKindIsStoredOpenedAndChanged.)
TEST(TaskRecordFromRow, ToleratesMissingColumnsAndNulls) {
    test::TestDatabase db;
    test::InsertTask(db.Db(), test::TaskRow{});
    CRecordset rows(db.Db());
    rows.Open("select ID, 任务名称, NULL as 日期, 提醒次数 from tb_memo");
    const TaskRecord t = TaskRecord::FromRow(rows);
    EXPECT_EQ(t.id + "," + t.name + "," + t.repeatCode, "1,早间广播,2");
    EXPECT_EQ(t.date + t.startTime + t.endTime + t.repeatText + t.source + t.playList + t.zones + t.weekDays +
                  t.state + t.fm + t.power,
              "");
    EXPECT_TRUE(IsDueToday(t, std::time(nullptr), CSchoolCalendar()))
        << "a daily task without a date counts from long ago";
}

}  // namespace
}  // namespace lumetra
