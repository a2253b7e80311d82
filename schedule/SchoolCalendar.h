// The school's calendar: holidays, on which no weekly or daily task runs, and make-up days, on
// which a day runs the timetable of another week day (a Sunday that is worked as a Monday). Once
// tasks keep their date whatever the calendar says. The calendar also carries the timetables
// (Timetables.h): a task in one runs only inside its ranges. Every question of whether a task is
// due on a day goes through DueCountToday (TaskFields.h), which asks this calendar what the day runs.
#pragma once

#include <string>
#include <vector>

#include "schedule/Timetables.h"

namespace lumetra {

class CDatabase;
struct LocalMoment;

// One stored entry: a holiday range, or a make-up day (first == last) with the week day it runs.
struct CalendarEntry {
    long firstDay = 0, lastDay = 0;  // day numbers (days since 1970-01-01), both included
    int runsWeekDay = 0;             // 0: a holiday; 1 (Sunday) .. 7 (Saturday): a make-up day
    std::string name;
};

// What one local day runs.
struct CalendarDay {
    bool holiday = false;
    bool madeUp = false;                // a make-up day: weekDay is the one it runs, not its own
    int weekDay = 0;                    // 1 (Sunday) .. 7 (Saturday) whose weekly tasks run
    const std::string* name = nullptr;  // the holiday's or make-up day's name; null on an ordinary day
};

class CSchoolCalendar {
public:
    CSchoolCalendar() = default;
    explicit CSchoolCalendar(std::vector<CalendarEntry> entries, CTimetables timetables = {});

    // A make-up day wins over a holiday range that holds it: it is the more particular entry.
    CalendarDay Day(const LocalMoment& day) const;
    const std::vector<CalendarEntry>& Entries() const { return m_entries; }
    const CTimetables& Timetables() const { return m_timetables; }
    CTimetables& Timetables() { return m_timetables; }

private:
    std::vector<CalendarEntry> m_entries;  // by first day
    CTimetables m_timetables;
};

// The stored calendar with the timetables; rows whose dates do not read as "%Y-%m-%d" are left out. Throws
// CDbError.
CSchoolCalendar ReadSchoolCalendar(CDatabase& db);
// The day number of a "%Y-%m-%d" date, or false when it does not read as one.
bool ParseCalendarDate(const std::string& text, long& dayNumber);

}  // namespace lumetra
