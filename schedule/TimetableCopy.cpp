#include "schedule/TimetableCopy.h"

#include <algorithm>
#include <cstdio>

namespace lumetra {
namespace {

constexpr long kDay = 86400;

// Seconds of a "%H:%M:%S" text, or -1.
long SecondsOfDay(const std::string& text) {
    int hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%n", &hour, &minute, &second, &used) != 3 ||
        used != static_cast<int>(text.size()) || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
        minute < 0 || second < 0)
        return -1;
    return hour * 3600L + minute * 60L + second;
}

std::string TimeText(long seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

}  // namespace

bool ShiftTaskTimes(TaskRecord& task, long seconds) {
    const long start = SecondsOfDay(task.startTime), end = SecondsOfDay(task.endTime);
    if (start < 0 || end < 0 || start + seconds < 0 || end + seconds < 0 || start + seconds >= kDay ||
        end + seconds >= kDay)
        return false;
    task.startTime = TimeText(start + seconds);
    task.endTime = TimeText(end + seconds);
    return true;
}

std::vector<CopyConflict> CopyConflicts(std::vector<TaskRecord> stored, CSchoolCalendar calendar,
                                        const std::vector<TaskRecord>& copies,
                                        const std::vector<YearlyRange>& ranges, long firstDay) {
    // The new timetable has no ID yet: one above every stored one, and the copies IDs no row has.
    int newId = 1;
    for (const Timetable& timetable : calendar.Timetables().All()) newId = std::max(newId, timetable.id + 1);
    std::vector<Timetable> timetables = calendar.Timetables().All();
    timetables.push_back({newId, {}, ranges});
    CTimetables withCopy(timetables, {});
    for (const TaskRecord& row : stored)
        if (const Timetable* timetable = calendar.Timetables().Of(row.id))
            withCopy.Assign(row.id, timetable->id);
    const size_t firstCopy = stored.size();
    for (size_t i = 0; i < copies.size(); ++i) {
        TaskRecord copy = copies[i];
        copy.id = "copy " + std::to_string(i);
        withCopy.Assign(copy.id, newId);
        stored.push_back(std::move(copy));
    }
    const CSchoolCalendar school(calendar.Entries(), std::move(withCopy));
    CBroadcastPlanner planner(std::vector<TaskFields>(stored.begin(), stored.end()), school);
    std::vector<CopyConflict> result;
    for (size_t i = 0; i < copies.size(); ++i)
        for (const TaskConflict& conflict : FindConflicts(planner, firstCopy + i, firstDay)) {
            // A pair of copies is named once, by the first of them.
            if (conflict.task >= firstCopy && conflict.task < firstCopy + i) continue;
            result.push_back({i, stored[conflict.task].name, conflict});
        }
    return result;
}

}  // namespace lumetra
