// Copying a timetable with its tasks ("复制作息表"): the copies' times moved by an offset where the
// operator ticked them, and the copies checked for conflicts as any saved task is, against the
// stored tasks and against each other, with the new timetable's ranges in force for them.
#pragma once

#include <string>
#include <vector>

#include "schedule/SchoolCalendar.h"
#include "schedule/TaskConflicts.h"
#include "store/TaskTable.h"

namespace lumetra {

// Moves 开始时间 and 结束时间 by `seconds`; false, leaving the task as it was, when either would
// leave its day or the times do not read as times of day.
bool ShiftTaskTimes(TaskRecord& task, long seconds);

struct CopyConflict {
    size_t copy = 0;        // index into the copies
    std::string otherName;  // the task it collides with: a stored one or another copy
    TaskConflict conflict;
};

// The conflicts of each copy over the year from `firstDay`, the copies in a new timetable with
// `ranges`. `stored` and `calendar` are what is stored now.
std::vector<CopyConflict> CopyConflicts(std::vector<TaskRecord> stored, CSchoolCalendar calendar,
                                        const std::vector<TaskRecord>& copies,
                                        const std::vector<YearlyRange>& ranges, long firstDay);

}  // namespace lumetra
