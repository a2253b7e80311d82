// The conflict check on save: which other tasks collide with the edited one over the year ahead,
// and on which day first, as the scheduler would carry both out: any two on air together, and
// those that share a receiver or an outlet also when less than 30 s apart; tasks whose timetables
// share no day never collide.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/TaskConflicts.h"
#include "tests/schedule/SchedulerRig.h"

namespace lumetra {
namespace {

TEST(TaskConflicts, OverlapsAndGapsOverTheYearAhead) {
    test::CZone tz("Asia/Shanghai");
    // Monday 10-12 is a holiday and Sunday 10-11 runs Monday's timetable. The year starts on 10-05.
    const long holiday = CivilDayNumber(2026, 10, 12), makeUp = CivilDayNumber(2026, 10, 11);
    const CSchoolCalendar calendar({{holiday, holiday, 0, "校庆"}, {makeUp, makeUp, 2, "调休"}});
    const test::TaskRow base{.date = "2026-09-01", .zones = test::ZoneText({1, 2}), .power = "0000"};
    const char* cases[][4] = {
        // what, the edited task, the others, "ID@first day of theirs" in the order of the first collision,
        // with "=" when the two are on air together
        {"overlap", "", "#2 08:10:00-08:20:00", "2@10-05="},
        {"no shared receiver or outlet, at the same time", "", "#2 z3", "2@10-05="},
        {"no shared receiver or outlet, 20 s after the end", "", "#2 z3 08:30:20-08:40:00", ""},
        {"a shared outlet alone", "p1000", "#2 z3 p1100 08:30:10-08:40:00", "2@10-05"},
        {"starts 29 s after the end", "", "#2 08:30:29-08:40:00", "2@10-05"},
        {"starts 30 s after the end", "", "#2 08:30:30-08:40:00", ""},
        {"ends 10 s before the start", "", "#2 07:00:00-07:59:50", "2@10-05"},
        {"ends 30 s before the start", "", "#2 07:00:00-07:59:30", ""},
        {"across midnight", "23:59:40-23:59:50", "#2 00:00:05-00:01:00", "2@10-06"},
        {"the task itself", "#7", "#7; #8 09:00:00-09:10:00", ""},
        {"other week days", "w2", "#2 w3", ""},
        {"one shared week day", "w27", "#2 w37", "2@10-10="},
        {"once, later", "", "#2 once 2026-11-02", "2@11-02="},
        {"once, in the past", "", "#2 once 2026-10-01", ""},
        {"once, beyond the year", "", "#2 once 2027-10-06", ""},
        {"once on a holiday Monday", "w2", "#2 once 2026-10-12", ""},
        {"once on a make-up Sunday", "w2", "#2 once 2026-10-11", "2@10-11="},
        {"a daily task meets a Monday first on the make-up Sunday", "w2", "#2 2026-10-06", "2@10-11="},
        {"same name and start twice", "#1", "#2 08:10:00; #3 08:10:00; #4 08:40:00", "2@10-05=,3@10-05="},
        {"the winter and summer versions of one bell", "t1", "#2 t2", ""},
        {"a winter task against one all year", "t1", "#2", "2@10-05="},
        {"a summer task meets one all year in May", "t2", "#2 w27", "2@05-01="},
        {"two timetables that share days", "t1", "#2 t3", "2@04-20="},
    };
    // 1 winter, 2 summer, 3 the last days of April and the first of May.
    const std::vector<Timetable> timetables = {
        {1, "冬季作息", {{1001, 430}}}, {2, "夏季作息", {{501, 930}}}, {3, "春末", {{420, 510}}}};
    for (const auto& [what, edited, others, conflicts] : cases) {
        std::vector<test::TaskRow> rows = test::Rows(others, base);
        rows.push_back(test::Row(edited, base));
        std::vector<TaskFields> tasks;
        std::unordered_map<std::string, int> members;
        for (const test::TaskRow& row : rows) {
            tasks.emplace_back(test::Record(row));
            if (row.timetable) members[row.id] = row.timetable;
        }
        const CSchoolCalendar school(calendar.Entries(), CTimetables(timetables, members));
        CBroadcastPlanner planner(std::move(tasks), school);
        const size_t mine = rows.size() - 1;
        std::string found;
        for (const TaskConflict& conflict : FindConflicts(planner, mine, CivilDayNumber(2026, 10, 5))) {
            found += (found.empty() ? "" : ",") + planner.Tasks()[conflict.task].id + "@" +
                     test::LocalText(conflict.theirs.start, "%m-%d") + (conflict.onAirTogether ? "=" : "");
            EXPECT_LT(conflict.theirs.start, conflict.mine.end + kTaskGap) << what;
            EXPECT_LT(conflict.mine.start, conflict.theirs.end + kTaskGap) << what;
        }
        EXPECT_EQ(found, conflicts) << what;
    }
}

}  // namespace
}  // namespace lumetra
