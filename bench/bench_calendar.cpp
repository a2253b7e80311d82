// The school calendar's costs, over 1,000 tasks (a third each daily, weekly on three days and
// once, spread over the day, every one on receivers 1 to 10 and outlet 1) in 10 timetables, five
// of which end and five begin inside the range, with a holiday week and a make-up day in it:
//  - the preview of seven days (target: under 50 ms);
//  - the conflict check of one task against the other 1,000 over 366 days (target: under 20 ms).
// Both include making the planner from the rows, as the page and the editor do.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "schedule/BroadcastPlan.h"
#include "schedule/TaskConflicts.h"
#include "tests/support/TaskRows.h"

namespace {

using namespace lumetra;

constexpr int kRuns = 30;
constexpr int kTimetables = 10;

std::string TimeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

std::vector<TaskFields> Tasks() {
    std::vector<TaskFields> made;
    for (int i = 0; i < 1000; ++i) {
        const int start = 6 * 3600 + i * 57;  // 06:00 to about 21:50, 57 s apart
        TaskRecord row;
        row.id = std::to_string(i + 1);
        row.date = i % 3 == 2 ? "2026-10-0" + std::to_string(1 + i % 9) : "2026-09-01";
        row.startTime = TimeText(start);
        row.endTime = TimeText(start + 20);
        row.repeatCode = i % 3 == 0 ? kRepeatDaily : i % 3 == 1 ? kRepeatWeekly : kRepeatOnce;
        row.weekDays = "246";
        row.zones = test::ZoneText({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        row.power = "1000";
        made.emplace_back(row);
    }
    return made;
}

// Timetables 1 to 5 run from 05-01 to 10-05..10-09, 6 to 10 from 10-06..10-10 to 04-30; task i
// is in timetable i % 10 + 1, the edited task ("") in the first.
CSchoolCalendar Calendar() {
    std::vector<Timetable> timetables;
    std::unordered_map<std::string, int> members{{"", 1}};
    for (int k = 1; k <= kTimetables; ++k) {
        const YearlyRange range = k <= 5 ? YearlyRange{501, 1004 + k} : YearlyRange{1000 + k, 430};
        timetables.push_back({k, "作息表" + std::to_string(k), {range}});
    }
    for (int i = 0; i < 1000; ++i) members[std::to_string(i + 1)] = i % kTimetables + 1;
    return CSchoolCalendar({{CivilDayNumber(2026, 10, 1), CivilDayNumber(2026, 10, 7), 0, "国庆节"},
                            {CivilDayNumber(2026, 10, 10), CivilDayNumber(2026, 10, 10), 6, "调休"}},
                           CTimetables(std::move(timetables), std::move(members)));
}

double Milliseconds(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    const std::vector<TaskFields> tasks = Tasks();
    const CSchoolCalendar calendar = Calendar();

    std::vector<double> preview, conflicts;
    size_t broadcasts = 0, found = 0;
    for (int run = 0; run < kRuns; ++run) {
        preview.push_back(Milliseconds([&] {
            CBroadcastPlanner planner(tasks, calendar);
            broadcasts = planner.PlanAll(CivilDayNumber(2026, 10, 5), CivilDayNumber(2026, 10, 11)).size();
        }));
        TaskRecord edited;
        edited.date = "2026-09-01";
        edited.startTime = "12:00:00";
        edited.endTime = "12:10:00";
        edited.repeatCode = kRepeatWeekly;
        edited.weekDays = "23456";
        edited.zones = test::ZoneText({5});
        edited.power = "0000";
        conflicts.push_back(Milliseconds([&] {
            std::vector<TaskFields> all = tasks;
            all.emplace_back(edited);
            CBroadcastPlanner planner(std::move(all), calendar);
            found = FindConflicts(planner, 1000, CivilDayNumber(2026, 9, 1)).size();
        }));
    }
    std::printf("(%zu broadcasts in the week, %zu conflicts of the edited task)\n", broadcasts, found);
    bench::Print("seven-day preview, 1,000 tasks in 10 timetables", preview, 50);
    bench::Print("conflict check of one task against 1,000 in 10 timetables", conflicts, 20);
    return 0;
}
