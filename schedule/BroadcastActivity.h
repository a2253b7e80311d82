// Whether a broadcast task keeps the machine on: the automatic shutdown waits while one does, so
// that an announcement is never cut off and no receiver or outlet is left switched on.
#pragma once

#include <ctime>

namespace lumetra {

class CSchoolCalendar;
class CTaskTable;
struct TaskRecord;

// True while the task is marked running, and on the days it is due from the moment its outlets
// and receivers go on (ten seconds before the start) until its outlets go off (fifteen seconds
// after the end).
bool HoldsMachineOn(const TaskRecord& task, std::time_t now, const CSchoolCalendar& calendar);
// True when any stored task holds the machine on. Throws CDbError.
bool AnyTaskHoldsMachineOn(CTaskTable& tasks, const CSchoolCalendar& calendar, std::time_t now);

}  // namespace lumetra
