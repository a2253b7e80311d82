// The shortcut that lets the scheduler pass over rows far from their rules: it may let through
// rows on which nothing happens, but must never hold back one on which a rule acts. Checked
// against the calendar arithmetic itself, second by second, on ordinary days and on days with
// clock changes in zones with one-hour, half-hour and two-hour changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/RuleWindow.h"
#include "schedule/TaskRecord.h"
#include "store/Statements.h"
#include "tests/support/LocalTime.h"

namespace lumetra {
namespace {

using test::CZone;
using test::LocalTime;

TaskRecord Task(const std::string& start, const std::string& end, const char* state) {
    TaskRecord task;
    task.date = "2000-01-01";
    task.repeatCode = kRepeatDaily;
    task.startTime = start;
    task.endTime = end;
    task.state = state;
    return task;
}

// Whether some rule of the scheduler acts on a task due today at `now`.
bool SomeRuleActs(const TaskRecord& task, std::time_t now) {
    const TaskTimesResult t = TaskTimes(task, now);
    const bool running = task.state == sql::kStateRunning;
    return t.sinceStart == -10 || t.sinceStart == 0 ||
           (t.sinceStart > 0 && t.sinceStart < t.duration && !running) || t.sinceEnd == 0 ||
           (running && t.sinceEnd > 0) || t.sinceEnd == 15;
}

TEST(RuleWindow, NeverHoldsBackARowOnWhichARuleActs) {
    const struct {
        const char* zone;
        int year, month, day;
    } days[] = {
        {"Europe/Berlin", 2026, 3, 2},
        {"Europe/Berlin", 2026, 3, 29},
        {"Europe/Berlin", 2026, 10, 25},
        {"Australia/Lord_Howe", 2026, 4, 5},
        {"Australia/Lord_Howe", 2026, 10, 4},
        {"Antarctica/Troll", 2026, 3, 29},
        {"Antarctica/Troll", 2026, 10, 25},
        {"America/Sao_Paulo", 2018, 11, 4},
        {"UTC", 2026, 3, 2},
    };
    const char* times[] = {"00:00:00", "00:00:09", "00:59:55", "01:30:00", "02:00:00", "02:30:00",
                           "02:59:50", "03:00:05", "03:30:00", "12:00:00", "23:59:45", "23:59:59"};
    std::vector<TaskRecord> tasks;
    for (const char* start : times)
        for (const char* end : times)
            for (const char* state : {sql::kStateIdle, sql::kStateRunning})
                tasks.push_back(Task(start, end, state));
    for (const auto& d : days) {
        SCOPED_TRACE(std::string(d.zone) + " " + std::to_string(d.month) + "/" + std::to_string(d.day));
        CZone zone(d.zone);
        const std::time_t from = LocalTime(d.year, d.month, d.day, 0, 0, 0);
        const std::time_t to = LocalTime(d.year, d.month, d.day + 1, 0, 0, 0);
        CRuleWindow window;
        int held = 0, failures = 0;
        // Every second around the times above, every eleventh second elsewhere.
        for (std::time_t now = from; now < to; ++now) {
            std::tm local{};
            localtime_r(&now, &local);
            if (local.tm_min % 30 != 0 && local.tm_min % 30 != 29 && now % 11 != 0) continue;
            window.SetNow(now);
            for (const TaskRecord& task : tasks) {
                if (window.MayAct(task)) continue;
                ++held;
                if (SomeRuleActs(task, now) && ++failures <= 5)
                    ADD_FAILURE() << "held back " << task.startTime << "-" << task.endTime << " "
                                  << task.state << " at " << local.tm_hour << ":" << local.tm_min << ":"
                                  << local.tm_sec;
            }
        }
        EXPECT_EQ(failures, 0);
        // An ordinary day must let rows be passed over.
        if (d.month == 3 && d.day == 2) {
            EXPECT_GT(held, 0);
        }
    }
}

TEST(RuleWindow, OnAnOrdinaryDayOnlyRowsNearTheirTimesGoOn) {
    CZone zone("Europe/Berlin");
    const struct {
        const char* start;
        const char* end;
        const char* state;
        bool mayAct;
    } cases[] = {
        {"12:00:10", "12:30:00", sql::kStateIdle, true},   // power-up now
        {"12:00:11", "12:30:00", sql::kStateIdle, false},  // power-up in a second
        {"11:00:00", "13:00:00", sql::kStateIdle, true},   // inside its broadcast
        {"11:00:00", "11:59:45", sql::kStateIdle, true},   // power-down now
        {"11:00:00", "11:59:44", sql::kStateIdle, false},  // everything over
        {"11:00:00", "11:59:44", sql::kStateRunning, true},
        {"08:00:00", "08:30:00", sql::kStateDone, false},
        {"12:30:00", "11:00:00", sql::kStateIdle, true},  // end before start: both ends count
        {"25:00:00", "26:00:00", sql::kStateIdle, true},  // out of range: left to the calendar
        {"08:61:00", "09:00:00", sql::kStateIdle, true},
        {"", "", sql::kStateIdle, false},  // reads as 00:00:00
    };
    CRuleWindow window;
    window.SetNow(LocalTime(2026, 3, 2, 12, 0, 0));
    for (const auto& c : cases)
        EXPECT_EQ(window.MayAct(Task(c.start, c.end, c.state)), c.mayAct)
            << c.start << "-" << c.end << " " << c.state;
}

}  // namespace
}  // namespace lumetra
