#include "schedule/TaskRecord.h"

#include <algorithm>

#include "base/NumberText.h"
#include "store/SplitString.h"

namespace lumetra {
namespace {

// A local date and time of day, with the daylight-saving rule of the date itself. mktime alone
// answers a wall-clock time that a clock change repeats or skips by a guess that depends on its
// earlier calls, so such times are settled here: a repeated time is its first moment, a skipped one
// the moment after the gap.
std::time_t MakeLocal(int year, int month, int day, int hour, int minute, int second) {
    std::tm asked{};
    asked.tm_year = year - 1900;
    asked.tm_mon = month - 1;
    asked.tm_mday = day;
    asked.tm_hour = hour;
    asked.tm_min = minute;
    asked.tm_sec = second;
    std::tm tm = asked;
    tm.tm_isdst = -1;
    const std::time_t moment = std::mktime(&tm);
    const bool timeInRange =
        hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
    if (timeInRange && (tm.tm_hour != hour || tm.tm_min != minute)) {
        std::tm standard = asked, summer = asked;
        standard.tm_isdst = 0;
        summer.tm_isdst = 1;
        return std::max(std::mktime(&standard), std::mktime(&summer));
    }
    for (const std::time_t shift : {3600, 1800}) {
        const std::time_t earlier = moment - shift;
        std::tm e{};
        localtime_r(&earlier, &e);
        if (e.tm_mday == tm.tm_mday && e.tm_hour == tm.tm_hour && e.tm_min == tm.tm_min &&
            e.tm_sec == tm.tm_sec)
            return earlier;
    }
    return moment;
}

}  // namespace

// Proleptic Gregorian.
long CivilDayNumber(long y, long m, long d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalMoment NoonOf(long dayNumber) {
    // The inverse of CivilDayNumber.
    const long z = dayNumber + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long day = doy - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yoe + era * 400 + (month <= 2);
    return LocalMoment(
        MakeLocal(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 12, 0, 0));
}

std::time_t LocalTimeOf(const LocalMoment& day, int hour, int minute, int second) {
    return MakeLocal(day.local.tm_year + 1900, day.local.tm_mon + 1, day.local.tm_mday, hour, minute, second);
}

namespace {

long DayNumberOf(const std::tm& local) {
    return CivilDayNumber(local.tm_year + 1900L, local.tm_mon + 1L, local.tm_mday);
}

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
    return LocalMoment(MakeLocal(year, month, day, 0, 0, 0)).dayNumber;
}

long SecondsOf(const HourMinuteSecond& hms) {
    return hms.hour * 3600L + hms.minute * 60L + hms.second;
}

}  // namespace

LocalMoment::LocalMoment(std::time_t moment) : time(moment), local{} {
    localtime_r(&moment, &local);
    dayNumber = DayNumberOf(local);
}

TaskFields::TaskFields(const TaskRecord& record)
    : kind(RepeatKindOf(record.repeatCode)),
      start(ParseTimeOfDay(record.startTime)),
      end(ParseTimeOfDay(record.endTime)),
      weekDays(record.weekDays),
      power(record.power),
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
    if (!m_zones) {
        std::vector<std::string> entries;
        SplitString(m_zoneText, entries, '|');
        m_zones = ZoneFlagsFromList(entries);
    }
    return *m_zones;
}

const TaskFields::DayMoments& TaskFields::MomentsOn(const LocalMoment& day) const {
    if (m_day.dayNumber == day.dayNumber) return m_day;
    const std::tm& d = day.local;
    m_day.dayNumber = day.dayNumber;
    m_day.start =
        MakeLocal(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, start.hour, start.minute, start.second);
    m_day.end = MakeLocal(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, end.hour, end.minute, end.second);
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
        case RepeatKind::kWeekly: {
            int count = 0;
            for (char c : task.weekDays)
                if (c - '0' == day.weekDay) ++count;
            return count;
        }
        case RepeatKind::kOnce:
        case RepeatKind::kNone:
            break;
    }
    return 0;
}

bool IsDueToday(const TaskFields& task, const LocalMoment& now, const CSchoolCalendar& calendar) {
    return DueCountToday(task, now, calendar) > 0;
}

ChannelFlags ZoneFlagsFromList(const std::vector<std::string>& entries) {
    ChannelFlags flags{};
    for (size_t i = 0; i < entries.size() && i < flags.size(); ++i) flags[i] = LeadingInt(entries[i]) != 0;
    return flags;
}

void ApplyPowerSwitches(const std::string& power, std::array<bool, 4>& switches) {
    for (size_t k = 0; k < switches.size() && k < power.size(); ++k) {
        if (power[k] == '1') switches[k] = true;
        if (power[k] == '0') switches[k] = false;
    }
}

std::array<bool, 4> PowerSwitches(const TaskRecord& task) {
    std::array<bool, 4> switches{};
    ApplyPowerSwitches(task.power, switches);
    return switches;
}

}  // namespace lumetra
