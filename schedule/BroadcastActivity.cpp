#include "schedule/BroadcastActivity.h"

#include "schedule/TaskRules.h"
#include "store/Recordset.h"
#include "store/Statements.h"

namespace lumetra {
bool HoldsMachineOn(const TaskRecord& task, std::time_t now) {
    if (task.state == sql::kStateRunning) return true;
    if (!IsDueToday(task, now)) return false;
    const TaskTimesResult times = TaskTimes(task, now);
    return times.sinceStart >= -kPowerUpLead && times.sinceEnd <= kPowerDownDelay;
}

bool AnyTaskHoldsMachineOn(CDatabase& db, std::time_t now) {
    CRecordset rows(db);
    rows.Open(sql::kSelectTasks);
    for (; !rows.IsEOF(); rows.MoveNext())
        if (HoldsMachineOn(TaskRecord::FromRow(rows), now)) return true;
    return false;
}

}  // namespace lumetra
