// The school calendar's costs, over 1,000 tasks (a third each daily, weekly on three days and
// once, spread over the day, every one on receivers 1 to 10 and outlet 1) with a holiday week and
// a make-up day in the range:
//  - the preview of seven days (aim: under 50 ms);
//  - the conflict check of one task against the other 999 over 366 days (aim: under 20 ms).
// Both include making the planner from the rows, as the page and the editor do.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "schedule/BroadcastPlan.h"
#include "schedule/TaskConflicts.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/LocalTime.h"

namespace {

using namespace lumetra;

std::string TimeText(int secondOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
                  secondOfDay % 60);
    return text;
}

const std::vector<TaskFields>& Tasks() {
    static const std::vector<TaskFields> tasks = [] {
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
    }();
    return tasks;
}

const CSchoolCalendar& Calendar() {
    static const CSchoolCalendar calendar(
        {{CivilDayNumber(2026, 10, 1), CivilDayNumber(2026, 10, 7), 0, "国庆节"},
         {CivilDayNumber(2026, 10, 10), CivilDayNumber(2026, 10, 10), 6, "调休"}});
    return calendar;
}

void BM_PreviewSevenDays(benchmark::State& state) {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    size_t broadcasts = 0;
    for (auto _ : state) {
        CBroadcastPlanner planner(Tasks(), Calendar());
        const auto plan = planner.PlanAll(CivilDayNumber(2026, 10, 5), CivilDayNumber(2026, 10, 11));
        broadcasts = plan.size();
        benchmark::DoNotOptimize(plan.data());
    }
    state.counters["broadcasts"] = static_cast<double>(broadcasts);
}
BENCHMARK(BM_PreviewSevenDays)->Unit(benchmark::kMillisecond);

void BM_ConflictsOfOneAgainstAThousand(benchmark::State& state) {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    TaskRecord edited;
    edited.date = "2026-09-01";
    edited.startTime = "12:00:00";
    edited.endTime = "12:10:00";
    edited.repeatCode = kRepeatWeekly;
    edited.weekDays = "23456";
    edited.zones = test::ZoneText({5});
    edited.power = "0000";
    size_t found = 0;
    for (auto _ : state) {
        std::vector<TaskFields> tasks = Tasks();
        tasks.emplace_back(edited);
        CBroadcastPlanner planner(std::move(tasks), Calendar());
        const auto conflicts = FindConflicts(planner, 1000, CivilDayNumber(2026, 9, 1));
        found = conflicts.size();
    }
    state.counters["conflicts"] = static_cast<double>(found);
}
BENCHMARK(BM_ConflictsOfOneAgainstAThousand)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
