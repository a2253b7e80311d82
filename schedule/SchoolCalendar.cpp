#include "schedule/SchoolCalendar.h"

#include <algorithm>
#include <cstdio>

#include "schedule/LocalMoment.h"
#include "store/CalendarTable.h"

namespace lumetra {

CSchoolCalendar::CSchoolCalendar(std::vector<CalendarEntry> entries, CTimetables timetables)
    : m_entries(std::move(entries)), m_timetables(std::move(timetables)) {
    std::sort(m_entries.begin(), m_entries.end(),
              [](const CalendarEntry& a, const CalendarEntry& b) { return a.firstDay < b.firstDay; });
}

CalendarDay CSchoolCalendar::Day(const LocalMoment& day) const {
    CalendarDay result;
    result.weekDay = day.local.tm_wday + 1;
    // Entries are few (a school year holds a dozen); the walk stops at the first entry after the day.
    for (const CalendarEntry& entry : m_entries) {
        if (entry.firstDay > day.dayNumber) break;
        if (entry.lastDay < day.dayNumber) continue;
        if (entry.runsWeekDay == 0 && !result.madeUp) {
            result.holiday = true;
            result.name = &entry.name;
        } else if (entry.runsWeekDay >= 1 && entry.runsWeekDay <= 7) {
            result = {false, true, entry.runsWeekDay, &entry.name};
        }
    }
    return result;
}

bool ParseCalendarDate(const std::string& text, long& dayNumber) {
    int year = 0, month = 0, day = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3 ||
        used != static_cast<int>(text.size()) || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    dayNumber = CivilDayNumber(year, month, day);
    // 02-30 would roll into March: only dates that exist are read.
    const LocalMoment noon = NoonOf(dayNumber);
    return noon.local.tm_mday == day;
}

CSchoolCalendar ReadSchoolCalendar(CDatabase& db) {
    std::vector<CalendarEntry> entries;
    for (const CalendarRow& row : CCalendarTable(db).ReadAll()) {
        CalendarEntry entry;
        if (!ParseCalendarDate(row.firstDay, entry.firstDay) ||
            !ParseCalendarDate(row.lastDay, entry.lastDay))
            continue;
        entry.runsWeekDay = row.weekDay;
        entry.name = row.name;
        entries.push_back(std::move(entry));
    }
    return CSchoolCalendar(std::move(entries), ReadTimetables(db));
}

}  // namespace lumetra
