// The calendar rules of a task: which days it is due, and the seconds that matter on such a day.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "schedule/RuleWindow.h"
#include "schedule/SchoolCalendar.h"
#include "schedule/TaskRecord.h"
#include "schedule/TaskRules.h"
#include "store/CalendarTable.h"
#include "store/OwnTables.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::CZone;
constexpr auto Local = test::LocalTime;
TaskRecord Task(const char* code, const char* date, const char* weekDays = "", const char* start = "08:00:00",
                const char* end = "08:30:00") {
    TaskRecord t;
    t.repeatCode = code;
    t.date = date;
    t.weekDays = weekDays;
    t.startTime = start;
    t.endTime = end;
    return t;
}

// 2026-03-01 is a Sunday. Over a week, how many times a day each task is due; a weekly task
// counts each occurrence of the day's digit.
TEST(DueCountToday, RepeatKindsOverAWeek) {
    CZone tz("Asia/Shanghai");
    const struct {
        TaskRecord task;
        const char* dueOnDays;  // one character per day, 2026-02-28 (Sat) to 2026-03-08 (Sun)
    } cases[] = {
        {Task("0", "2026-03-03"), "...1....."},         {Task("2", "2026-03-03"), "...111111"},
        {Task("1", "2026-02-01", "17"), "11.....11"},   {Task("1", "2026-03-02", "17"), ".......11"},
        {Task("1", "2026-02-01", "2722"), "1.3....1."}, {Task("2", "2026-02-01", "22"), "111111111"},
        {Task("1", "2026-02-01", ""), "........."},     {Task("1", "2026-02-01", "089x"), "........."},
        {Task("", "2026-02-01"), "........."},          {Task("02", "2026-02-01"), "........."},
    };
    for (const auto& c : cases) {
        std::string due;
        for (int day = 0; day < 9; ++day) {
            const std::time_t noon = Local(2026, 2, 28 + day, 12, 0, 0);
            const int count = DueCountToday(c.task, noon, CSchoolCalendar());
            due += count ? static_cast<char>('0' + count) : '.';
            EXPECT_EQ(IsDueToday(c.task, noon, CSchoolCalendar()), count > 0);
        }
        EXPECT_EQ(due, c.dueOnDays) << "code " << c.task.repeatCode << " date " << c.task.date << " days "
                                    << c.task.weekDays;
    }
}

// The school's calendar, stored and read back, against the days each kind of task runs: holidays
// over a month end and a year end, make-up days (one of them inside a holiday), a once task on a
// holiday. A database is not touched until the first entry is saved.
TEST(SchoolCalendar, HolidaysAndMakeUpDaysDecideTheRunDays) {
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
    EXPECT_EQ(OwnSchemaVersion(db.Db()), 1);
    const CSchoolCalendar calendar = ReadSchoolCalendar(db.Db());
    EXPECT_EQ(calendar.Entries().size(), std::size(rows) - 1) << "a date that does not exist is left out";

    const TaskRecord tasks[] = {Task("2", "2026-09-01"), Task("1", "2026-09-01", "2"),
                                Task("1", "2026-09-01", "1"), Task("1", "2026-09-01", "6"),
                                Task("0", "2026-10-03")};
    const struct {
        int year, month, day, days;
        const char* due[std::size(tasks)];  // daily, Mondays, Sundays, Fridays, once
    } spans[] = {
        {2026,
         9,
         26,
         16,
         {"1111.......11111", ".11.............", "...............1", ".............11.",
          ".......1........"}},
        {2026, 12, 29, 7, {"11...11", ".....11", ".......", ".......", "......."}},
    };
    for (const auto& span : spans) {
        for (size_t t = 0; t < std::size(tasks); ++t) {
            std::string due;
            for (int day = 0; day < span.days; ++day)
                due += IsDueToday(tasks[t], Local(span.year, span.month, span.day + day, 12, 0, 0), calendar)
                           ? '1'
                           : '.';
            EXPECT_EQ(due, span.due[t]) << "task " << t << " from " << span.month << "-" << span.day;
        }
    }
    const CalendarDay madeUp = calendar.Day(Local(2026, 10, 7, 12, 0, 0));
    EXPECT_TRUE(madeUp.madeUp && !madeUp.holiday && madeUp.weekDay == 5 && *madeUp.name == "调休");
    EXPECT_EQ(*calendar.Day(Local(2026, 10, 1, 9, 0, 0)).name, "国庆节");

    const std::vector<CalendarRow> stored = table.ReadAll();
    table.Remove(stored.at(1).id);  // 09-27 (after 02-30): a Sunday again
    EXPECT_FALSE(IsDueToday(tasks[1], Local(2026, 9, 27, 12, 0, 0), ReadSchoolCalendar(db.Db())));
}

TEST(SchoolCalendar, DatesReadOnlyWhenTheyExist) {
    CZone tz("Asia/Shanghai");
    long day = 0;
    EXPECT_TRUE(ParseCalendarDate("2028-02-29", day));
    EXPECT_EQ(day, CivilDayNumber(2028, 2, 29));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-10-01x", "", "10-01", "2026-00-10"})
        EXPECT_FALSE(ParseCalendarDate(bad, day)) << bad;
}

// Texts the editor never writes are read by their leading digits, without a crash.
TEST(TaskTimes, OddTextsAreReadByTheirDigits) {
    CZone tz("Asia/Shanghai");
    const std::time_t now = Local(2026, 3, 5, 9, 0, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).sinceStart, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5", "", "9:0:0", "9:1"), now).duration, 60);
    EXPECT_EQ(TaskTimes(Task("2", "2026-3-5"), now).dayOffset, 0);
    EXPECT_EQ(TaskTimes(Task("2", "2026-03-05", "", "9", "10"), now).duration, 3600);
    // Malformed dates stand for some day; the times of day still read as midnight.
    for (const char* date : {"", "x", "2026", "2026-", "2026-03", "----------", "9999-99-99"})
        EXPECT_EQ(TaskTimes(Task("2", date, "", "", ""), now).sinceStart, 9 * 3600) << date;
}

// On the days the clocks change, a moment is built with the rule of its own date: 01:00 to 04:00
// lasts two hours in spring and four in autumn. The dates around such days are checked below.
TEST(TaskTimes, DaylightSavingChangeDays) {
    CZone tz("Europe/Berlin");
    const TaskTimesResult spring =
        TaskTimes(Task("2", "2026-03-28", "", "01:00:00", "04:00:00"), Local(2026, 3, 29, 4, 0, 0));
    EXPECT_EQ(spring.dayOffset, 1);
    EXPECT_EQ(spring.sinceEnd, 0);
    EXPECT_EQ(spring.duration, 2 * 3600);
    EXPECT_EQ(
        TaskTimes(Task("2", "2026-10-25", "", "01:00:00", "04:00:00"), Local(2026, 10, 25, 4, 0, 0)).duration,
        4 * 3600);
}

TEST(ZoneFlags, EntriesReadAsNumbersSelectChannels) {
    TaskRecord t;
    t.zones = "0|2|x|01|0|1";  // short list: missing entries count as "0"
    ChannelFlags expected{};
    expected[1] = expected[3] = expected[5] = 1;
    EXPECT_EQ(TaskFields(t).Zones(), expected);
    t.zones = "";
    EXPECT_EQ(TaskFields(t).Zones(), ChannelFlags{});
    t.zones = test::ZoneText({128}) + "|1|1";  // more than 128 entries: the rest is ignored
    expected = {};
    expected[127] = 1;
    EXPECT_EQ(TaskFields(t).Zones(), expected);
}

TEST(TaskRecordFromRow, ReadsEveryColumnAndToleratesNulls) {
    test::TestDatabase db;
    db.Db().ExecuteSql(FormatSql(sql::kInsertTask, "早操", "2026-03-05", "08:00:00", "08:30:00", "天", "1",
                                 "/a.mp3", "1|0", "2", "", "未执行", "1", "1001"));
    auto fields = [](const TaskRecord& t) {
        return t.id + "," + t.name + "," + t.date + "," + t.startTime + "," + t.endTime + "," + t.repeatText +
               "," + t.source + "," + t.playList + "," + t.zones + "," + t.repeatCode + "," + t.weekDays +
               "," + t.state + "," + t.fm + "," + t.power;
    };
    CRecordset rows(db.Db());
    rows.Open(sql::kSelectTasksForTick);
    EXPECT_EQ(fields(TaskRecord::FromRow(rows)),
              "1,早操,2026-03-05,08:00:00,08:30:00,天,1,/a.mp3,1|0,2,,未执行,1,1001");
    // A file written by other tools may lack columns or hold nulls.
    rows.Open("select ID, 任务名称, NULL as 日期, 提醒次数 from tb_memo");
    const TaskRecord sparse = TaskRecord::FromRow(rows);
    EXPECT_EQ(fields(sparse), "1,早操,,,,,,,,2,,,,");
    EXPECT_TRUE(IsDueToday(sparse, std::time(nullptr), CSchoolCalendar()))
        << "a daily task without a date counts from long ago";
}

// The rules over weeks of seconds, one second at a time as the scheduler evaluates them, in zones
// whose clocks change at 02:00 (Berlin), at midnight (Havana) or never (Shanghai). The cheap row
// filter must let through every row on which a rule acts, and with the task's state following
// its start and end, each of power-up, start, end and power-down acts exactly once per due day,
// across a year's end too.
std::string Wall(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

long UtcOffset(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local.tm_gmtoff;
}

TEST(TaskRules, EachRuleActsOncePerDueDayAtItsSecondAcrossClockChanges) {
    const struct {
        const char* zone;
        int year, month, day;  // the first of seven days
    } weeks[] = {{"Europe/Berlin", 2026, 3, 26}, {"Europe/Berlin", 2026, 10, 22},
                 {"America/Havana", 2026, 3, 5}, {"America/Havana", 2026, 10, 29},
                 {"Asia/Shanghai", 2026, 3, 2},  {"Asia/Shanghai", 2026, 12, 28}};  // across a year's end
    const struct {
        TaskRecord task;
        int dueDays;
    } tasks[] = {
        {Task("2", "2026-01-01", "", "00:00:05", "00:09:00"), 7},    // powered up the day before
        {Task("2", "2026-01-01", "", "00:10:00", "00:20:00"), 7},    // in Havana's repeated or skipped hour
        {Task("2", "2026-01-01", "", "02:30:00", "03:15:00"), 7},    // in Berlin's repeated or skipped hour
        {Task("2", "2026-01-01", "", "23:59:40", "23:59:50"), 7},    // powered down the day after
        {Task("1", "2026-01-01", "17", "00:00:00", "00:05:00"), 2},  // Sundays and Saturdays
    };
    for (const auto& w : weeks) {
        CZone zone(w.zone);
        const std::time_t from = Local(w.year, w.month, w.day, 0, 0, 0) - 60;
        const std::time_t to = Local(w.year, w.month, w.day + 7, 0, 0, 0) - 60;
        std::vector<TaskFields> fields;
        for (const auto& t : tasks) fields.emplace_back(t.task);
        std::vector<std::map<Rule, std::vector<std::time_t>>> acted(std::size(tasks));
        CRuleWindow window;
        const CSchoolCalendar calendar;
        int heldBack = 0;
        for (std::time_t now = from; now < to; ++now) {
            const RuleMoments at(now, calendar);
            window.SetNow(now);
            for (size_t i = 0; i < fields.size(); ++i) {
                const DueRules rules = RulesAt(fields[i], at);
                for (Rule rule : {rules.start, rules.end}) {
                    if (rule == Rule::kNone) continue;
                    acted[i][rule].push_back(now);
                    if (!window.MayAct(fields[i]) && ++heldBack <= 5)
                        ADD_FAILURE() << w.zone << ": the filter held back " << tasks[i].task.startTime
                                      << " at " << Wall(now);
                }
                if (rules.start == Rule::kStart) fields[i].state = sql::kStateRunning;
                if (rules.end == Rule::kEnd) fields[i].state = sql::kStateDone;
            }
        }
        for (size_t i = 0; i < fields.size(); ++i) {
            SCOPED_TRACE(std::string(w.zone) + " from " + Wall(from) + ", task " + tasks[i].task.startTime);
            auto& a = acted[i];
            EXPECT_EQ(a[Rule::kLateStart].size() + a[Rule::kStaleClose].size(), 0u);
            ASSERT_EQ(a[Rule::kStart].size(), size_t(tasks[i].dueDays));
            for (Rule rule : {Rule::kPowerUp, Rule::kEnd, Rule::kPowerDown})
                ASSERT_EQ(a[rule].size(), size_t(tasks[i].dueDays)) << int(rule);
            for (int d = 0; d < tasks[i].dueDays; ++d) {
                const std::time_t start = a[Rule::kStart][d], end = a[Rule::kEnd][d];
                EXPECT_EQ(start - a[Rule::kPowerUp][d], 10) << Wall(start);
                EXPECT_EQ(a[Rule::kPowerDown][d] - end, 15) << Wall(end);
                // At its time of day; an hour later only when the clock skipped that hour.
                std::string nominal = tasks[i].task.startTime;
                if (UtcOffset(start) - UtcOffset(start - 7200) == 3600 && Wall(start).substr(6) != nominal)
                    nominal[1] = static_cast<char>(nominal[1] + 1);
                EXPECT_EQ(Wall(start).substr(6), nominal);
                EXPECT_GT(end, start) << Wall(start);
            }
        }
    }
}

}  // namespace
}  // namespace lumetra
