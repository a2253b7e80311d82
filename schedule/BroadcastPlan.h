// The broadcasts that the scheduler's rules will carry out over a range of days, worked out by
// those same rules (RulesAt) at the seconds where they can act, with the task's state following
// as on air: the week-ahead preview and the conflict check on save both read them.
#pragma once

#include <ctime>
#include <unordered_map>
#include <vector>

#include "schedule/SchoolCalendar.h"
#include "schedule/TaskFields.h"
#include "schedule/TaskRules.h"

namespace lumetra {

struct PlannedBroadcast {
    size_t task = 0;                                             // index into the planner's tasks
    std::time_t powerUp = 0, start = 0, end = 0, powerDown = 0;  // the seconds the rules act at
};

class CDatabase;

// The stored tasks, in start-time order, and the calendar: what a plan is made from. Throws
// CDbError.
struct StoredSchedule {
    std::vector<TaskRecord> rows;
    CSchoolCalendar calendar;
};
StoredSchedule ReadStoredSchedule(CDatabase& db);

class CBroadcastPlanner {
public:
    CBroadcastPlanner(std::vector<TaskFields> tasks, const CSchoolCalendar& calendar);

    const std::vector<TaskFields>& Tasks() const { return m_tasks; }
    const CSchoolCalendar& Calendar() const { return m_calendar; }

    // Appends the broadcasts of task `index` that start on the days firstDay..lastDay (day
    // numbers), in time order. The task is taken as waiting ("未执行") before the first day.
    void Plan(size_t index, long firstDay, long lastDay, std::vector<PlannedBroadcast>& out);
    // Every task's broadcasts over the days, in time order.
    std::vector<PlannedBroadcast> PlanAll(long firstDay, long lastDay);

    // The local noon of a day, kept once worked out.
    const LocalMoment& Noon(long day);

private:
    const RuleMoments& MomentsAt(std::time_t second);

    std::vector<TaskFields> m_tasks;
    const CSchoolCalendar& m_calendar;
    std::unordered_map<long, LocalMoment> m_noons;
    std::unordered_map<std::time_t, RuleMoments> m_moments;  // tasks at one time share them
    std::vector<std::time_t> m_candidates;                   // reused by every Plan
};

}  // namespace lumetra
