#include "schedule/BroadcastActivity.h"

#include <algorithm>
#include <vector>

#include "schedule/TaskRules.h"
#include "store/Statements.h"
#include "store/TaskTable.h"

namespace lumetra {
bool HoldsMachineOn(const TaskRecord& task, std::time_t now, const CSchoolCalendar& calendar) {
    if (TaskStateOf(task.state) == TaskState::kRunning) return true;
    if (!IsDueToday(task, now, calendar)) return false;
    const TaskTimesResult times = TaskTimes(task, now);
    return times.sinceStart >= -kPowerUpLead && times.sinceEnd <= kPowerDownDelay;
}

bool AnyTaskHoldsMachineOn(CTaskTable& tasks, const CSchoolCalendar& calendar, std::time_t now) {
    const std::vector<TaskRecord> all = tasks.ReadAll();
    return std::any_of(all.begin(), all.end(),
                       [&](const TaskRecord& task) { return HoldsMachineOn(task, now, calendar); });
}

}  // namespace lumetra
