// The conflict check on save: which other tasks collide with the edited one over the year ahead,
// and on which day first, as the scheduler would carry both out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/TaskConflicts.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"

namespace lumetra {
namespace {

using test::ZoneText;

struct Row {
    std::string id, code = kRepeatDaily, date = "2026-09-01", weekDays, start = "08:00:00", end = "08:30:00";
    std::string zones = ZoneText({1, 2}), power = "0000";
};

TaskRecord Record(const Row& row) {
    TaskRecord t;
    t.id = row.id, t.repeatCode = row.code, t.date = row.date, t.weekDays = row.weekDays;
    t.startTime = row.start, t.endTime = row.end, t.zones = row.zones, t.power = row.power;
    return t;
}

long Day(int year, int month, int day) {
    return CivilDayNumber(year, month, day);
}

TEST(TaskConflicts, OverlapsAndGapsOverTheYearAhead) {
    test::CZone tz("Asia/Shanghai");
    const std::vector<CalendarEntry> autumn = {{Day(2026, 10, 12), Day(2026, 10, 12), 0, "校庆"},
                                               {Day(2026, 10, 11), Day(2026, 10, 11), 2, "调休"}};
    const Row monday{.code = kRepeatWeekly, .weekDays = "2"};
    const struct {
        const char* what;
        Row edited;
        std::vector<Row> others;
        std::vector<CalendarEntry> calendar;
        const char* conflicts;  // "ID@first day of theirs" in the order of the first collision
    } cases[] = {
        {"overlap", {}, {{.id = "2", .start = "08:10:00", .end = "08:20:00"}}, {}, "2@10-05"},
        {"no shared receiver or outlet", {}, {{.id = "2", .zones = ZoneText({3})}}, {}, ""},
        {"a shared outlet alone",
         {.power = "1000"},
         {{.id = "2", .zones = ZoneText({3}), .power = "1100"}},
         {},
         "2@10-05"},
        {"starts 29 s after the end",
         {},
         {{.id = "2", .start = "08:30:29", .end = "08:40:00"}},
         {},
         "2@10-05"},
        {"starts 30 s after the end", {}, {{.id = "2", .start = "08:30:30", .end = "08:40:00"}}, {}, ""},
        {"ends 10 s before the start",
         {},
         {{.id = "2", .start = "07:00:00", .end = "07:59:50"}},
         {},
         "2@10-05"},
        {"ends 30 s before the start", {}, {{.id = "2", .start = "07:00:00", .end = "07:59:30"}}, {}, ""},
        {"across midnight",
         {.start = "23:59:40", .end = "23:59:50"},
         {{.id = "2", .start = "00:00:05", .end = "00:01:00"}},
         {},
         "2@10-06"},
        {"the task itself",
         {.id = "7"},
         {{.id = "7"}, {.id = "8", .start = "09:00:00", .end = "09:10:00"}},
         {},
         ""},
        {"other week days", monday, {{.id = "2", .code = kRepeatWeekly, .weekDays = "3"}}, {}, ""},
        {"one shared week day",
         {.code = kRepeatWeekly, .weekDays = "27"},
         {{.id = "2", .code = kRepeatWeekly, .weekDays = "37"}},
         {},
         "2@10-10"},
        {"once, later", {}, {{.id = "2", .code = kRepeatOnce, .date = "2026-11-02"}}, {}, "2@11-02"},
        {"once, in the past", {}, {{.id = "2", .code = kRepeatOnce, .date = "2026-10-01"}}, {}, ""},
        {"once, beyond the year", {}, {{.id = "2", .code = kRepeatOnce, .date = "2027-10-06"}}, {}, ""},
        {"once on a holiday Monday",
         monday,
         {{.id = "2", .code = kRepeatOnce, .date = "2026-10-12"}},
         autumn,
         ""},
        {"once on a make-up Sunday",
         monday,
         {{.id = "2", .code = kRepeatOnce, .date = "2026-10-11"}},
         autumn,
         "2@10-11"},
        {"a daily task meets a Monday first on the make-up Sunday",
         monday,
         {{.id = "2", .date = "2026-10-06"}},
         autumn,
         "2@10-11"},
        {"same name and start twice",
         {.id = "1"},
         {{.id = "2", .start = "08:10:00"},
          {.id = "3", .start = "08:10:00"},
          {.id = "4", .start = "08:40:00"}},
         {},
         "2@10-05,3@10-05"},
    };
    for (const auto& c : cases) {
        std::vector<TaskFields> tasks;
        for (const Row& other : c.others) tasks.emplace_back(Record(other));
        tasks.emplace_back(Record(c.edited));
        const CSchoolCalendar calendar(c.calendar);
        CBroadcastPlanner planner(std::move(tasks), calendar);
        std::string found;
        for (const TaskConflict& conflict : FindConflicts(planner, c.others.size(), Day(2026, 10, 5))) {
            found += (found.empty() ? "" : ",") + planner.Tasks()[conflict.task].id + "@" +
                     test::LocalText(conflict.theirs.start, "%m-%d");
            EXPECT_LT(conflict.theirs.start, conflict.mine.end + kTaskGap) << c.what;
            EXPECT_LT(conflict.mine.start, conflict.theirs.end + kTaskGap) << c.what;
        }
        EXPECT_EQ(found, c.conflicts) << c.what;
    }
}

}  // namespace
}  // namespace lumetra
