#include "schedule/TaskFields.h"

#include <algorithm>

#include "base/NumberText.h"
#include "store/TargetChannels.h"

namespace lumetra {
namespace {

// The day number of a "%Y-%m-%d" date. Year: the first four characters; month: from character 5
// up to the next "-"; day: the rest. Out-of-range fields roll over as the calendar does.
long FirstDayOf(const std::string& date) {
    const int year = LeadingInt(date.substr(0, 4));
    int month = 0, day = 0;
    if (date.size() > 5) {
        const size_t dash = date.find('-', 5);
        month = LeadingInt(date.substr(5, dash == std::string::npos ? dash : dash - 5));
        if (dash != std::string::npos) day = LeadingInt(date.substr(dash + 1));
    }
    return LocalMoment(LocalTimeOf(year, month, day, 0, 0, 0)).dayNumber;
}

long SecondsOf(const HourMinuteSecond& hms) {
    return hms.hour * 3600L + hms.minute * 60L + hms.second;
}

}  // namespace

TaskFields::TaskFields(const TaskRecord& record)
    : kind(RepeatKindOf(record.repeatCode)),
      start(ParseTimeOfDay(record.startTime)),
      end(ParseTimeOfDay(record.endTime)),
      weekDays(WeekDaysOf(record.weekDays)),
      power(OutletSwitchesOf(record.power)),
      id(record.id),
      name(record.name),
      state(TaskStateOf(record.state)),
      playList(record.playList),
      timing(record.date + '|' + record.startTime + '|' + record.endTime + '|' + record.repeatCode + '|' +
             record.weekDays),
      m_date(record.date),
      m_zoneText(record.zones) {}

long TaskFields::FirstDay() const {
    if (!m_firstDay) m_firstDay = FirstDayOf(m_date);
    return *m_firstDay;
}

const ChannelFlags& TaskFields::Zones() const {
    if (!m_zones) m_zones = TargetChannelsOf(m_zoneText);
    return *m_zones;
}

const TaskFields::DayMoments& TaskFields::MomentsOn(const LocalMoment& day) const {
    if (m_day.dayNumber == day.dayNumber) return m_day;
    const std::tm& d = day.local;
    m_day.dayNumber = day.dayNumber;
    m_day.start =
        LocalTimeOf(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, start.hour, start.minute, start.second);
    m_day.end = LocalTimeOf(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, end.hour, end.minute, end.second);
    // A start in the hour that a clock change skips moves on by that hour, an end after it may
    // not: the broadcast then keeps its length rather than ending before it starts.
    const long length = SecondsOf(end) - SecondsOf(start);
    if (m_day.end <= m_day.start && length > 0) m_day.end = m_day.start + length;
    return m_day;
}

TaskTimesResult TaskTimes(const TaskFields& task, const LocalMoment& now) {
    const TaskFields::DayMoments& today = task.MomentsOn(now);
    TaskTimesResult r;
    // Whole calendar days between the two dates. Dividing the seconds by 86400 would be a day off
    // for an hour after midnight on the day after a 23-hour or 25-hour day, so a once task would
    // run twice or not at all around a daylight-saving change; elsewhere both agree.
    r.dayOffset = now.dayNumber - task.FirstDay();
    r.sinceStart = static_cast<long>(now.time - today.start);
    r.sinceEnd = static_cast<long>(now.time - today.end);
    r.duration = static_cast<long>(today.end - today.start);
    return r;
}

int DueCountToday(const TaskFields& task, const LocalMoment& now, const CSchoolCalendar& calendar) {
    const long dayOffset = now.dayNumber - task.FirstDay();
    if (dayOffset < 0) return 0;
    if (!calendar.Timetables().InSeason(task.id, MonthDayOf(now.local.tm_mon + 1, now.local.tm_mday)))
        return 0;
    if (task.kind == RepeatKind::kOnce) return dayOffset == 0 ? 1 : 0;
    const CalendarDay day = calendar.Day(now);
    if (day.holiday) return 0;
    switch (task.kind) {
        case RepeatKind::kDaily:
            return 1;
        case RepeatKind::kWeekly:
            return task.weekDays.TimesNamed(day.weekDay);
        case RepeatKind::kOnce:
        case RepeatKind::kNone:
            break;
    }
    return 0;
}

bool IsDueToday(const TaskFields& task, const LocalMoment& now, const CSchoolCalendar& calendar) {
    return DueCountToday(task, now, calendar) > 0;
}

}  // namespace lumetra
