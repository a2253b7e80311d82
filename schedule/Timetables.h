// Timetables (作息表): named parts of the year, each one or more yearly ranges of days given by
// month and day. A task in a timetable is due only on days inside one of its ranges; a task in
// none runs all year. The school calendar (SchoolCalendar.h) carries them, so every question of
// whether a task is due on a day answers for its timetable too.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace lumetra {

class CDatabase;

// A day of the year as month * 100 + day: 501 is 1 May, 229 is 29 February.
int MonthDayOf(int month, int day);
// "05-01" for 501; and back, false for a text that is not a day of a leap year.
std::string MonthDayText(int monthDay);
bool ParseMonthDay(const std::string& text, int& monthDay);

// first..last, both included; a range whose last day comes before its first runs over the new
// year ("10-01" to "04-30"). A range to 02-29 ends on 02-28 in other years, one from 02-29 starts
// on 03-01.
struct YearlyRange {
    int first = 0, last = 0;
    bool Holds(int monthDay) const;
    bool operator==(const YearlyRange&) const = default;
};

struct Timetable {
    int id = 0;
    std::string name;
    std::vector<YearlyRange> ranges;
    bool Holds(int monthDay) const;
};

// The days two sets of ranges share, as ranges in the order of the year (one running over the new
// year kept whole); empty when they share none.
std::vector<YearlyRange> SharedDays(const std::vector<YearlyRange>& a, const std::vector<YearlyRange>& b);

class CTimetables {
public:
    CTimetables() = default;
    // `taskTimetables`: the timetable ID of each task in one, by task ID as stored.
    CTimetables(std::vector<Timetable> timetables, std::unordered_map<std::string, int> taskTimetables);

    // Whether the task may run on the day: it is in no timetable, or its timetable holds the day.
    bool InSeason(const std::string& taskId, int monthDay) const;
    // The task's timetable; null for a task in none (or in one that no longer exists).
    const Timetable* Of(const std::string& taskId) const;
    const Timetable* Find(int id) const;
    // The timetables whose ranges hold the day, in stored order.
    std::vector<const Timetable*> InForce(int monthDay) const;
    // Puts a task into a timetable (0: into none), as the editor is about to save it.
    void Assign(const std::string& taskId, int timetableId);

    const std::vector<Timetable>& All() const { return m_timetables; }

private:
    std::vector<Timetable> m_timetables;
    std::unordered_map<std::string, int> m_taskTimetables;
};

// The stored timetables and which task is in which; ranges that do not read as days are left out.
// Throws CDbError.
CTimetables ReadTimetables(CDatabase& db);

}  // namespace lumetra
