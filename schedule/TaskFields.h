// The calendar rules of a broadcast task (one tb_memo row, TaskRecord): on which days it is due and
// which seconds of such a day matter to it. The row stays text, as stored; the
// scheduler turns it into its typed fields (TaskFields) once per pass and works on those.
#pragma once

#include <array>
#include <climits>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "schedule/LocalMoment.h"
#include "schedule/SchoolCalendar.h"
#include "schedule/TimeOfDay.h"
#include "store/Labels.h"
#include "store/OutletSwitches.h"
#include "store/TaskTable.h"
#include "store/WeekDays.h"

namespace lumetra {

// The typed fields of a task, read from its text once.
struct TaskFields {
    TaskFields(const TaskRecord& record);  // implicit, so every rule also takes a plain record

    RepeatKind kind;
    HourMinuteSecond start, end;
    WeekDays weekDays;
    OutletSwitches power;
    std::string id, name;
    TaskState state;
    std::string playList;  // 节目内容 as stored, read where it is played (PlayList.h)
    std::string timing;    // 日期, times, repeat kind and week days as stored: a changed one is re-timed

    // Read the first time a rule needs them: most rows of a pass are far from their rules and never do.
    long FirstDay() const;              // day number of 日期
    const ChannelFlags& Zones() const;  // the 128 flags of 目标区域

    // The start and end moments on one local day; worked out once per day and kept.
    struct DayMoments {
        long dayNumber = LONG_MIN;
        std::time_t start = 0, end = 0;
    };
    const DayMoments& MomentsOn(const LocalMoment& day) const;

private:
    std::string m_date, m_zoneText;
    mutable std::optional<long> m_firstDay;
    mutable std::optional<ChannelFlags> m_zones;
    mutable DayMoments m_day;
};

struct TaskTimesResult {
    long dayOffset;   // calendar days since 日期: 0 on that day, 1 the day after, -1 the day before
    long sinceStart;  // now - today's start, seconds
    long sinceEnd;    // now - today's end, seconds
    long duration;    // today's end - today's start, seconds
};

TaskTimesResult TaskTimes(const TaskFields& task, const LocalMoment& now);

// How many times the rules are evaluated for this task on the day of `now`: 0 when not due; a
// weekly task counts each occurrence of the week-day digit the calendar gives the day. A task in a
// timetable is due only inside its ranges, whatever its kind; there, on a holiday only once tasks
// are due.
int DueCountToday(const TaskFields& task, const LocalMoment& now, const CSchoolCalendar& calendar);
bool IsDueToday(const TaskFields& task, const LocalMoment& now, const CSchoolCalendar& calendar);

}  // namespace lumetra
